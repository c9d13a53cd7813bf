// Opening with modeNoFollow: only a plain file under the name itself opens; a link planted in
// its place is never followed and a FIFO never waited on.
#include <sys/stat.h>
#include <unistd.h>

#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "framework/file.h"
#include "framework/file_exception.h"
#include "tests/framework/temp_dir.h"

namespace {

constexpr UINT kAppend = CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate |
                         CFile::shareDenyWrite | CFile::modeNoFollow;

struct Planted {
    const char* label;
    // Puts something under "name" in dir; "elsewhere/target.txt" holds "kept".
    void (*plant)(const TempDir& dir, const TempDir& elsewhere);
};

void PrintTo(const Planted& c, std::ostream* out) {
    *out << c.label;
}

class FileNoFollow : public ::testing::TestWithParam<Planted> {};

TEST_P(FileNoFollow, RefusesWhatIsNotAPlainFile) {
    TempDir dir;
    TempDir elsewhere;
    WriteAll(elsewhere / "target.txt", "kept");
    GetParam().plant(dir, elsewhere);

    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(dir / "name", kAppend, &error));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_NE(error.m_cause, CFileException::none);
    EXPECT_EQ(ReadAll(elsewhere / "target.txt"), "kept");
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "created.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Name, FileNoFollow,
    ::testing::Values(
        Planted{"LinkToAFile",
                [](const TempDir& dir, const TempDir& elsewhere) {
                    ASSERT_EQ(symlink((elsewhere / "target.txt").c_str(), (dir / "name").c_str()),
                              0);
                }},
        Planted{"LinkToNothingYet",
                [](const TempDir& dir, const TempDir& elsewhere) {
                    ASSERT_EQ(symlink((elsewhere / "created.txt").c_str(), (dir / "name").c_str()),
                              0);
                }},
        Planted{"Fifo", [](const TempDir& dir,
                           const TempDir&) { ASSERT_EQ(mkfifo((dir / "name").c_str(), 0600), 0); }},
        Planted{"Folder",
                [](const TempDir& dir, const TempDir&) {
                    ASSERT_EQ(mkdir((dir / "name").c_str(), 0700), 0);
                }}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(FileNoFollow, PlainFileOpensAndIsWrittenAsUsual) {
    TempDir dir;
    WriteAll(dir / "name", "old ");
    CFile file;
    ASSERT_TRUE(file.Open(dir / "name", kAppend));
    file.SeekToEnd();
    file.Write("new", 3);
    file.Close();
    EXPECT_EQ(ReadAll(dir / "name"), "old new");

    // A missing file is created.
    ASSERT_TRUE(file.Open(dir / "fresh", kAppend));
    file.Write("x", 1);
    file.Close();
    EXPECT_EQ(ReadAll(dir / "fresh"), "x");
}

}  // namespace
