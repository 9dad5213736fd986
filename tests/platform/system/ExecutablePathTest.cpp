#include "platform/system/ExecutablePath.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kamsel::system {
namespace {

TEST(ExecutablePath, NamesThisTestProgramAndItsFolder) {
    const std::filesystem::path path = ExecutablePath();
    EXPECT_TRUE(path.is_absolute());
    EXPECT_EQ(path.filename(), "kamsel_system_tests");
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    // Whatever the working folder, the folder is the executable's own.
    EXPECT_EQ(std::filesystem::path(ExecutableDirectory()), path.parent_path());
}

} // namespace
} // namespace kamsel::system
