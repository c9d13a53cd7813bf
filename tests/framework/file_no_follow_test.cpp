// Opening with modeNoFollow: only a plain file under the name itself opens; a link planted in
// its place is never followed and a FIFO never waited on.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "framework/file.h"
#include "framework/file_exception.h"
#include "tests/framework/temp_dir.h"

namespace {

constexpr UINT kAppend = CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate |
                         CFile::shareDenyWrite | CFile::modeNoFollow;

TEST(FileNoFollow, RefusesWhatIsNotAPlainFile) {
    // Each puts something under "name" in dir; "elsewhere/target.txt" holds "kept".
    const struct {
        const char* label;
        void (*plant)(const TempDir& dir, const TempDir& elsewhere);
    } cases[] = {
        {"link to a file",
         [](const TempDir& dir, const TempDir& elsewhere) {
             ASSERT_EQ(symlink((elsewhere / "target.txt").c_str(), (dir / "name").c_str()), 0);
         }},
        {"link to nothing yet",
         [](const TempDir& dir, const TempDir& elsewhere) {
             ASSERT_EQ(symlink((elsewhere / "created.txt").c_str(), (dir / "name").c_str()), 0);
         }},
        {"FIFO", [](const TempDir& dir,
                    const TempDir&) { ASSERT_EQ(mkfifo((dir / "name").c_str(), 0600), 0); }},
        {"folder", [](const TempDir& dir,
                      const TempDir&) { ASSERT_EQ(mkdir((dir / "name").c_str(), 0700), 0); }},
    };
    for (const auto& c : cases) {
        TempDir dir;
        TempDir elsewhere;
        WriteAll(elsewhere / "target.txt", "kept");
        c.plant(dir, elsewhere);

        CFile file;
        CFileException error;
        EXPECT_FALSE(file.Open(dir / "name", kAppend, &error)) << c.label;
        EXPECT_FALSE(file.IsOpen()) << c.label;
        EXPECT_NE(error.m_cause, CFileException::none) << c.label;
        EXPECT_EQ(ReadAll(elsewhere / "target.txt"), "kept") << c.label;
        EXPECT_FALSE(std::filesystem::exists(elsewhere / "created.txt")) << c.label;
    }
}

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
