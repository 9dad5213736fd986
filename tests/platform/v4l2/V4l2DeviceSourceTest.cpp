#include "platform/v4l2/V4l2DeviceSource.h"
#include "EmulatedV4l2Io.h"
#include "platform/v4l2/V4l2Device.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

namespace kamsel::v4l2::testing {
namespace {

struct Listed {
    std::string name;
    std::string location;
    friend bool operator==(const Listed&, const Listed&) = default;
};

std::vector<Listed> List(const std::shared_ptr<EmulatedV4l2Io>& io, const std::string& directory = "/dev") {
    std::vector<Listed> listed;
    for (const auto& device : V4l2DeviceSource(io, directory).Enumerate())
        listed.push_back({device->FriendlyName(), device->Location()});
    return listed;
}

TEST(V4l2DeviceSource, ListsCaptureNodesByNodeNumberAndLeavesThemClosed) {
    auto io = std::make_shared<EmulatedV4l2Io>();
    io->AddNode("/dev/video10", TypicalCamera("Ten"));
    io->AddNode("/dev/video2", TypicalCamera("Two"));
    io->AddEntry("/dev/null");
    io->AddEntry("/dev/video");
    io->AddEntry("/dev/video1p");
    io->AddEntry("/dev/vbi0");
    io->AddNode("/dev/video0", TypicalCamera("Zero"));
    io->AddNode("/elsewhere/video1", TypicalCamera("Elsewhere"));

    EXPECT_EQ(List(io), (std::vector<Listed>{
                            {"Zero", "/dev/video0"}, {"Two", "/dev/video2"}, {"Ten", "/dev/video10"}}));
    EXPECT_EQ(io->OpenDescriptors(), 0);
}

TEST(V4l2DeviceSource, ListsOnlyNodesThatCaptureVideo) {
    auto io = std::make_shared<EmulatedV4l2Io>();
    // A camera's metadata node: the device can capture, this node cannot.
    EmulatedCamera metadata = TypicalCamera("Metadata");
    metadata.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE | V4L2_CAP_DEVICE_CAPS;
    metadata.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
    io->AddNode("/dev/video1", metadata);
    EmulatedCamera output = TypicalCamera("Output");
    output.capabilities = V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_DEVICE_CAPS;
    output.deviceCaps = V4L2_CAP_VIDEO_OUTPUT;
    io->AddNode("/dev/video3", output);
    // An old driver that states no node capabilities: the device's count.
    EmulatedCamera old = TypicalCamera("Old");
    old.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    old.deviceCaps = 0;
    io->AddNode("/dev/video4", old);
    EmulatedCamera locked = TypicalCamera("Locked");
    locked.openError = -EACCES;
    io->AddNode("/dev/video5", locked);
    io->AddNode("/dev/video6", TypicalCamera("Mute"));
    io->FailNext("/dev/video6", VIDIOC_QUERYCAP, ENOTTY);
    // Capture nodes that offer only read(), stated for the node or (old
    // drivers) for the device: the buffer request would fail.
    EmulatedCamera readOnly = TypicalCamera("Read only");
    readOnly.deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_READWRITE;
    io->AddNode("/dev/video7", readOnly);
    EmulatedCamera oldReadOnly = TypicalCamera("Old read only");
    oldReadOnly.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_READWRITE;
    io->AddNode("/dev/video8", oldReadOnly);
    io->AddNode("/dev/video0", TypicalCamera("Capture"));

    EXPECT_EQ(List(io), (std::vector<Listed>{{"Capture", "/dev/video0"}, {"Old", "/dev/video4"}}));
    EXPECT_EQ(io->OpenDescriptors(), 0);

    // A node that lost streaming since it was listed refuses to open.
    V4l2Device device(io, "/dev/video7", "Read only");
    const media::DeviceStatus opened = device.Open();
    EXPECT_EQ(opened.error, -ENODEV);
    EXPECT_EQ(opened.message, "/dev/video7 offers no streaming I/O, which capture needs");
    EXPECT_EQ(io->OpenDescriptors(), 0);
}

TEST(V4l2DeviceSource, FriendlyNameIsTheCardNameAsTheDriverGivesIt) {
    auto io = std::make_shared<EmulatedV4l2Io>();
    const std::string notText = "Cam\xff\xfe \x80 ";
    const std::string unterminated(32, 'W'); // fills the card field with no zero byte
    io->AddNode("/dev/video0", TypicalCamera(notText));
    io->AddNode("/dev/video1", TypicalCamera(unterminated + "cut off"));

    EXPECT_EQ(List(io), (std::vector<Listed>{{notText, "/dev/video0"}, {unterminated, "/dev/video1"}}));
}

TEST(V4l2DeviceSource, UnreadableDirectoryGivesNoDevices) {
    auto io = std::make_shared<EmulatedV4l2Io>();
    io->AddNode("/dev/video0", TypicalCamera());

    EXPECT_TRUE(List(io, "/nowhere").empty());
}

} // namespace
} // namespace kamsel::v4l2::testing
