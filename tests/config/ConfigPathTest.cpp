#include "config/ConfigPath.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace cvt {
namespace {

TEST(ConfigPathTest, IsConfigIniBesideTheRunningProgram) {
    const std::filesystem::path path = ConfigPath();
    EXPECT_EQ(path.filename(), "Config.ini");
    EXPECT_TRUE(path.is_absolute());
    // This test program sits in the build's program folder, beside the shipped Config.ini.
    EXPECT_TRUE(std::filesystem::exists(path.parent_path() / "config_ConfigPathTest"));
}

} // namespace
} // namespace cvt
