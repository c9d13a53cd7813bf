#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "framework/file.h"
#include "framework/file_exception.h"
#include "tests/framework/temp_dir.h"

namespace {

constexpr UINT writer =
    CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate | CFile::shareDenyWrite;
constexpr UINT reader = CFile::modeRead | CFile::shareDenyWrite;
constexpr UINT freeReader = CFile::modeRead | CFile::shareDenyNone;

// Whether a second process can open path with flags while this one holds its file.
bool OpensInOtherProcess(const std::string& path, UINT flags) {
    pid_t child = ::fork();
    if (child == 0) {
        CFile file;
        ::_exit(file.Open(path, flags) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct LockCase {
    const char* name;
    UINT holder;
    UINT second;
    bool secondOpens;
};

const LockCase lockCases[] = {
    {"writer keeps out a writer", writer, writer, false},
    {"writer keeps out a locking reader", writer, reader, false},
    {"writer lets a plain reader in", writer, freeReader, true},
    {"locking reader keeps out a writer", reader, writer, false},
    {"readers share", reader, reader, true},
    {"unlocked writer locks nothing", CFile::modeWrite | CFile::shareDenyNone, writer, true},
};

void PrintTo(const LockCase& c, std::ostream* os) {
    *os << c.name;
}

class FileLock : public ::testing::TestWithParam<LockCase> {};

TEST_P(FileLock, SecondOpenerInSameProcess) {
    TempDir dir;
    std::string path = dir / "locked.txt";
    WriteAll(path, "content");
    CFile first;
    ASSERT_TRUE(first.Open(path, GetParam().holder));
    CFile second;
    CFileException error;
    EXPECT_EQ(second.Open(path, GetParam().second, &error), GetParam().secondOpens);
    if (!GetParam().secondOpens) {
        EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
        EXPECT_FALSE(second.IsOpen());
    }
}

TEST_P(FileLock, SecondOpenerInOtherProcess) {
    TempDir dir;
    std::string path = dir / "locked.txt";
    WriteAll(path, "content");
    CFile first;
    ASSERT_TRUE(first.Open(path, GetParam().holder));
    EXPECT_EQ(OpensInOtherProcess(path, GetParam().second), GetParam().secondOpens);
}

INSTANTIATE_TEST_SUITE_P(Rules, FileLock, ::testing::ValuesIn(lockCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return name;
});

TEST(FileLockRelease, ClosingLetsTheNextWriterIn) {
    TempDir dir;
    std::string path = dir / "locked.txt";
    CFile first;
    ASSERT_TRUE(first.Open(path, writer));
    first.Close();
    EXPECT_TRUE(OpensInOtherProcess(path, writer));
}

TEST(FileLockRelease, DestructionLetsTheNextWriterIn) {
    TempDir dir;
    std::string path = dir / "locked.txt";
    {
        CFile first;
        ASSERT_TRUE(first.Open(path, writer));
    }
    EXPECT_TRUE(OpensInOtherProcess(path, writer));
}

TEST(FileLockTruncate, HeldFileIsNotEmptiedByAnotherCreator) {
    TempDir dir;
    std::string path = dir / "held.txt";
    WriteAll(path, "keep me");
    CFile holder;
    ASSERT_TRUE(holder.Open(path, writer));
    CFile creator;
    EXPECT_FALSE(creator.Open(path, CFile::modeWrite | CFile::modeCreate | CFile::shareDenyWrite));
    EXPECT_EQ(ReadAll(path), "keep me");
}

TEST(FileLockTruncate, CreateWithoutNoTruncateEmptiesAFreeFile) {
    TempDir dir;
    std::string path = dir / "free.txt";
    WriteAll(path, "old content");
    CFile creator;
    ASSERT_TRUE(creator.Open(path, CFile::modeWrite | CFile::modeCreate | CFile::shareDenyWrite));
    EXPECT_EQ(creator.GetLength(), 0u);
}

TEST(FileLockTruncate, NoTruncateKeepsContent) {
    TempDir dir;
    std::string path = dir / "free.txt";
    WriteAll(path, "old content");
    CFile file;
    ASSERT_TRUE(file.Open(path, writer));
    EXPECT_EQ(file.SeekToEnd(), 11u);
    file.Write("+", 1);
    file.Close();
    EXPECT_EQ(ReadAll(path), "old content+");
}

}  // namespace
