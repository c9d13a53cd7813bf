#include "platform/module_path.h"
#include "platform/last_error.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ModulePath, IsTheRunningExecutable) {
    const std::string path = ModuleFileName();
    EXPECT_EQ(path, std::filesystem::canonical("/proc/self/exe").string());
    EXPECT_EQ(std::filesystem::path(path).filename(), "platform_tests");
}

TEST(ModulePath, TheFixedBufferFormCutsALongPathAndSaysSo) {
    const std::string path = ModuleFileName();
    char buffer[4096];
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, sizeof buffer), path.size());
    EXPECT_EQ(std::string(buffer), path);

    char small[8];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(small), path.substr(0, sizeof small - 1));
}

}  // namespace
