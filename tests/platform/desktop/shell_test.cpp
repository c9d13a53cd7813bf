#include "platform/desktop/shell.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QUrl>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "shell-XXXXXX").string();
        directory_ = mkdtemp(pattern.data());
        SetShellOpener([this](const std::string& url) {
            opened_.push_back(url);
            return launches_;
        });
    }
    void TearDown() override {
        SetShellOpener({});
        fs::remove_all(directory_);
    }
    std::string makeFile(const std::string& name) {
        const std::string path = directory_ + "/" + name;
        std::ofstream(path) << "report";
        return path;
    }

    std::string directory_;
    std::vector<std::string> opened_;
    bool launches_ = true;
};

TEST_F(ShellTest, OpensAnExistingFileByItsLink) {
    const std::string report = makeFile("BandWidth Test Rpt.txt");
    EXPECT_GT(ShellExecuteA(0, "open", report.c_str(), nullptr, nullptr, SW_SHOWNORMAL), 32);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(QUrl(QString::fromStdString(opened_[0])).toLocalFile().toStdString(), report);
}

TEST_F(ShellTest, AMissingFileStartsNothing) {
    const std::string missing = directory_ + "/BandWidth_TestRpt.txt";
    EXPECT_EQ(ShellExecuteA(0, "open", missing.c_str(), nullptr, nullptr, SW_SHOWNORMAL),
              SE_ERR_FNF);
    EXPECT_EQ(ShellExecuteA(0, "open", "", nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_FNF);
    EXPECT_EQ(ShellExecuteA(0, "open", nullptr, nullptr, nullptr, SW_SHOWNORMAL), SE_ERR_FNF);
    EXPECT_TRUE(opened_.empty());
}

TEST_F(ShellTest, ARelativePathIsOpenedAsAnAbsoluteOne) {
    makeFile("notes.txt");
    const fs::path before = fs::current_path();
    fs::current_path(directory_);
    const std::intptr_t result = ShellExecuteA(0, nullptr, "notes.txt", nullptr, nullptr, 1);
    fs::current_path(before);
    EXPECT_GT(result, 32);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(QUrl(QString::fromStdString(opened_[0])).toLocalFile().toStdString(),
              directory_ + "/notes.txt");
}

TEST_F(ShellTest, ALinkGoesToItsHandlerAsItIs) {
    const char* mail = "mailto:support@example.com?subject=About Corvanite";
    EXPECT_GT(ShellExecuteA(0, "open", mail, nullptr, nullptr, SW_SHOWNORMAL), 32);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(QUrl(QString::fromStdString(opened_[0])), QUrl(QString::fromLatin1(mail)));
}

TEST_F(ShellTest, AFailedLaunchOrAnUnknownVerbIsReported) {
    const std::string report = makeFile("r.txt");
    EXPECT_EQ(ShellExecuteA(0, "print", report.c_str(), nullptr, nullptr, 1), SE_ERR_NOASSOC);
    EXPECT_TRUE(opened_.empty());
    launches_ = false;
    EXPECT_EQ(ShellExecuteA(0, "open", report.c_str(), nullptr, nullptr, 1), SE_ERR_NOASSOC);
    EXPECT_EQ(opened_.size(), 1u);
}

}  // namespace
