#include "platform/module_path.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ModulePath, IsTheRunningExecutable) {
    const std::string path = ModuleFileName();
    EXPECT_EQ(path, std::filesystem::canonical("/proc/self/exe").string());
    EXPECT_EQ(std::filesystem::path(path).filename(), "platform_tests");
}

}  // namespace
