// The real seam against ordinary files: failures come back as -errno.

#include "platform/v4l2/SystemV4l2Io.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kamsel::v4l2 {
namespace {

class SystemV4l2IoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kamsel_v4l2_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        directory_ = pattern;
        file_ = directory_ + "/video0";
        const int fd = ::open(file_.c_str(), O_CREAT | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        const std::string text(4096, 'k');
        ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(fd);
    }
    void TearDown() override {
        ::unlink(file_.c_str());
        ::rmdir(directory_.c_str());
    }

    SystemV4l2Io io_;
    std::string directory_;
    std::string file_;
};

TEST_F(SystemV4l2IoTest, FailuresComeBackAsNegativeErrno) {
    EXPECT_EQ(io_.Open(directory_ + "/missing", O_RDWR), -ENOENT);
    const int fd = io_.Open(file_, O_RDWR);
    ASSERT_GE(fd, 0);
    v4l2_capability caps{};
    EXPECT_EQ(io_.Ioctl(fd, VIDIOC_QUERYCAP, &caps), -ENOTTY);
    EXPECT_EQ(io_.Close(fd), 0);
    EXPECT_EQ(io_.Close(fd), -EBADF);
    std::vector<std::string> names;
    EXPECT_EQ(io_.ListDirectory(directory_ + "/missing", names), -ENOENT);
}

TEST_F(SystemV4l2IoTest, ListsMapsAndWakes) {
    std::vector<std::string> names;
    ASSERT_EQ(io_.ListDirectory(directory_, names), 0);
    EXPECT_EQ(names, std::vector<std::string>{"video0"});

    const int fd = io_.Open(file_, O_RDWR);
    ASSERT_GE(fd, 0);
    void* address = nullptr;
    ASSERT_EQ(io_.Mmap(fd, 4096, 0, address), 0);
    EXPECT_EQ(static_cast<const char*>(address)[4095], 'k');
    EXPECT_EQ(io_.Munmap(address, 4096), 0);
    EXPECT_EQ(io_.Mmap(fd, 4096, 1, address), -EINVAL);
    EXPECT_EQ(io_.Close(fd), 0);

    const int wake = io_.CreateEventFd();
    ASSERT_GE(wake, 0);
    pollfd waiting{wake, POLLIN, 0};
    EXPECT_EQ(io_.Poll(&waiting, 1, 0), 0);
    EXPECT_EQ(io_.SignalEventFd(wake), 0);
    EXPECT_EQ(io_.Poll(&waiting, 1, 0), 1);
    EXPECT_TRUE(waiting.revents & POLLIN);
    EXPECT_EQ(io_.Close(wake), 0);
}

} // namespace
} // namespace kamsel::v4l2
