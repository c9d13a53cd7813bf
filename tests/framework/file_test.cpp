#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "framework/file.h"
#include "framework/file_exception.h"
#include "tests/framework/raised.h"
#include "tests/framework/temp_dir.h"

namespace {

TEST(File, OpenFailureIsAFalseResult) {
    TempDir dir;
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(dir / "missing/none.txt", CFile::modeRead, &error));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, ENOENT);
    EXPECT_EQ(error.m_strFileName, dir / "missing/none.txt");
    EXPECT_FALSE(file.Open(dir / "missing.txt", CFile::modeRead));
}

TEST(File, DirectoryDoesNotOpen) {
    TempDir dir;
    CFile file;
    EXPECT_FALSE(file.Open(dir.path(), CFile::modeRead));
}

TEST(File, ThrowingConstructorRaisesFileException) {
    TempDir dir;
    try {
        CFile file(dir / "missing.txt", CFile::modeRead);
        ADD_FAILURE() << "opened a missing file";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
        e->Delete();
    }
}

TEST(File, WritesReadsAndNames) {
    TempDir dir;
    std::string path = dir / "data.bin";
    CFile out;
    ASSERT_TRUE(out.Open(path, CFile::modeWrite | CFile::modeCreate | CFile::typeBinary));
    out.Write("a\nb\0c", 5);
    EXPECT_EQ(out.GetLength(), 5u);
    EXPECT_EQ(out.GetFilePath(), path);
    EXPECT_EQ(out.GetFileName(), "data.bin");
    EXPECT_EQ(out.GetFileTitle(), "data");
    out.Close();
    EXPECT_EQ(ReadAll(path), std::string("a\nb\0c", 5));

    CFile in;
    ASSERT_TRUE(in.Open(path, CFile::modeRead));
    char buffer[16];
    EXPECT_EQ(in.Read(buffer, sizeof buffer), 5u);
    EXPECT_EQ(in.Read(buffer, sizeof buffer), 0u);
}

TEST(File, OpeningIsCloseOnExec) {
    TempDir dir;
    CFile file;
    ASSERT_TRUE(file.Open(dir / "x.txt", CFile::modeWrite | CFile::modeCreate));
    EXPECT_TRUE(::fcntl(file.GetHandle(), F_GETFD) & FD_CLOEXEC);
}

TEST(File, WriteToFullDeviceThrowsDiskFull) {
    CFile full;
    ASSERT_TRUE(full.Open("/dev/full", CFile::modeWrite | CFile::shareDenyNone));
    try {
        full.Write("x", 1);
        ADD_FAILURE() << "a write to a full device succeeded";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::diskFull);
        EXPECT_EQ(e->m_lOsError, ENOSPC);
        EXPECT_EQ(e->m_strFileName, "/dev/full");
        e->Delete();
    }
}

TEST(File, CloseTwiceDoesNothingTheSecondTime) {
    TempDir dir;
    CFile file;
    ASSERT_TRUE(file.Open(dir / "x.txt", CFile::modeWrite | CFile::modeCreate));
    file.Close();
    EXPECT_NO_THROW(file.Close());
    EXPECT_NO_THROW(file.Abort());
    EXPECT_FALSE(file.IsOpen());
}

TEST(File, OperationsOnAClosedFileRaise) {
    CFile file;
    char byte;
    EXPECT_EQ(RaisedCause([&] { file.Read(&byte, 1); }), CFileException::invalidFile);
    EXPECT_EQ(RaisedCause([&] { file.Write("x", 1); }), CFileException::invalidFile);
    EXPECT_EQ(RaisedCause([&] { file.SeekToEnd(); }), CFileException::invalidFile);
}

TEST(File, SetLengthAndSeek) {
    TempDir dir;
    CFile file;
    ASSERT_TRUE(file.Open(dir / "x.bin", CFile::modeReadWrite | CFile::modeCreate));
    file.Write("0123456789", 10);
    file.SetLength(4);
    EXPECT_EQ(file.GetLength(), 4u);
    EXPECT_EQ(file.SeekToEnd(), 4u);
    file.SeekToBegin();
    char buffer[8];
    EXPECT_EQ(file.Read(buffer, 8), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
}

TEST(File, DuplicateSharesTheOpenFile) {
    TempDir dir;
    CFile file;
    ASSERT_TRUE(file.Open(dir / "x.bin", CFile::modeWrite | CFile::modeCreate));
    CFile* copy = file.Duplicate();
    file.Write("ab", 2);
    copy->Write("cd", 2);
    EXPECT_EQ(copy->GetFilePath(), file.GetFilePath());
    delete copy;
    file.Close();
    EXPECT_EQ(ReadAll(dir / "x.bin"), "abcd");
}

}  // namespace
