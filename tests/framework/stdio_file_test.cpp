#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/file_exception.h"
#include "framework/stdio_file.h"
#include "tests/framework/raised.h"
#include "tests/framework/temp_dir.h"

namespace {

constexpr UINT createText = CFile::modeWrite | CFile::modeCreate | CFile::typeText;
constexpr UINT readText = CFile::modeRead | CFile::typeText;
constexpr UINT readBinary = CFile::modeRead | CFile::typeBinary;

std::vector<std::string> ReadLines(const std::string& path, UINT flags) {
    CStdioFile file;
    EXPECT_TRUE(file.Open(path, flags));
    std::vector<std::string> lines;
    std::string line;
    while (file.ReadString(line)) {
        lines.push_back(line);
    }
    return lines;
}

TEST(StdioFile, TextModeStoresLineEndsAsCrLf) {
    TempDir dir;
    std::string path = dir / "text.txt";
    CStdioFile file;
    ASSERT_TRUE(file.Open(path, createText));
    EXPECT_TRUE(file.IsTextMode());
    file.WriteString("one\ntwo\n\nthree");
    file.Write("\n", 1);
    file.Close();
    EXPECT_EQ(ReadAll(path), "one\r\ntwo\r\n\r\nthree\r\n");
}

TEST(StdioFile, TextIsTheDefaultMode) {
    TempDir dir;
    CStdioFile file;
    ASSERT_TRUE(file.Open(dir / "x.txt", CFile::modeWrite | CFile::modeCreate));
    file.WriteString("a\n");
    file.Close();
    EXPECT_EQ(ReadAll(dir / "x.txt"), "a\r\n");
}

TEST(StdioFile, BinaryModeStoresBytesUnchanged) {
    TempDir dir;
    std::string path = dir / "data.bin";
    CStdioFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeWrite | CFile::modeCreate | CFile::typeBinary));
    file.WriteString("a\nb\r\n");
    file.Close();
    EXPECT_EQ(ReadAll(path), "a\nb\r\n");
}

TEST(StdioFile, LineEndsTranslatedAcrossBufferBoundaries) {
    TempDir dir;
    std::string path = dir / "long.txt";
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        text += "line " + std::to_string(i) + "\n";
    }
    {
        CStdioFile file;
        ASSERT_TRUE(file.Open(path, createText));
        file.WriteString(text);
    }  // destruction flushes and closes
    std::string expected;
    for (char c : text) {
        expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    EXPECT_EQ(ReadAll(path), expected);

    CStdioFile file;
    ASSERT_TRUE(file.Open(path, readText));
    std::string back(text.size() + 10, '\0');
    ASSERT_EQ(file.Read(back.data(), static_cast<UINT>(back.size())), text.size());
    back.resize(text.size());
    EXPECT_EQ(back, text);
}

struct LinesCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

std::vector<LinesCase> LinesCases() {
    return {
        {"LfEnds", "a\nb\n", {"a", "b"}},
        {"CrLfEnds", "a\r\nb\r\n", {"a", "b"}},
        {"BlankLinesKept", "a\r\n\r\n\nb\n", {"a", "", "", "b"}},
        {"LastLineWithoutEnd", "a\r\nlast", {"a", "last"}},
        {"OnlyAnEnd", "\r\n", {""}},
        {"Empty", "", {}},
        {"LoneCrKept", "a\rb\n", {"a\rb"}},
        {"Line300", std::string(300, 'x') + "\r\nnext", {std::string(300, 'x'), "next"}},
        {"Line100000",
         std::string(100000, 'y') + "\r\n" + std::string(100000, 'z'),
         {std::string(100000, 'y'), std::string(100000, 'z')}},
        {"CrLfSplitAtBuffer", std::string(4095, 'q') + "\r\nr", {std::string(4095, 'q'), "r"}},
    };
}

void PrintTo(const LinesCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadStringLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(ReadStringLines, TextMode) {
    TempDir dir;
    WriteAll(dir / "lines.txt", GetParam().bytes);
    EXPECT_EQ(ReadLines(dir / "lines.txt", readText), GetParam().lines);
}

TEST_P(ReadStringLines, BinaryMode) {
    TempDir dir;
    WriteAll(dir / "lines.txt", GetParam().bytes);
    EXPECT_EQ(ReadLines(dir / "lines.txt", readBinary), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Files, ReadStringLines, ::testing::ValuesIn(LinesCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StdioFile, ReadStringIntoBufferKeepsLineFeedAndCuts) {
    TempDir dir;
    WriteAll(dir / "lines.txt", "abc\r\ndefghij\n");
    CStdioFile file;
    ASSERT_TRUE(file.Open(dir / "lines.txt", readText));
    char buffer[5];
    ASSERT_NE(file.ReadString(buffer, sizeof buffer), nullptr);
    EXPECT_STREQ(buffer, "abc\n");
    ASSERT_NE(file.ReadString(buffer, sizeof buffer), nullptr);
    EXPECT_STREQ(buffer, "defg");
    ASSERT_NE(file.ReadString(buffer, sizeof buffer), nullptr);
    EXPECT_STREQ(buffer, "hij\n");
    EXPECT_EQ(file.ReadString(buffer, sizeof buffer), nullptr);
}

TEST(StdioFile, AppendsAfterSeekToEnd) {
    TempDir dir;
    std::string path = dir / "log.txt";
    WriteAll(path, "old");
    CStdioFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate |
                                    CFile::shareDenyWrite));
    EXPECT_EQ(file.SeekToEnd(), 3u);
    file.WriteString("\nnew");
    EXPECT_EQ(file.GetPosition(), 8u);
    EXPECT_EQ(file.GetLength(), 8u);
    file.Close();
    EXPECT_EQ(ReadAll(path), "old\r\nnew");
}

TEST(StdioFile, FlushHandsBytesToTheSystem) {
    TempDir dir;
    std::string path = dir / "x.txt";
    CStdioFile file;
    ASSERT_TRUE(file.Open(path, createText));
    file.WriteString("a\n");
    EXPECT_EQ(ReadAll(path), "");
    file.Flush();
    EXPECT_EQ(ReadAll(path), "a\r\n");
    file.WriteString("b");
    file.Commit();
    EXPECT_EQ(ReadAll(path), "a\r\nb");
}

TEST(StdioFile, ReadAfterWriteSeesTheWrittenBytes) {
    TempDir dir;
    CStdioFile file;
    ASSERT_TRUE(
        file.Open(dir / "rw.bin", CFile::modeReadWrite | CFile::modeCreate | CFile::typeBinary));
    file.WriteString("hello world");
    file.SeekToBegin();
    char buffer[5];
    ASSERT_EQ(file.Read(buffer, 5), 5u);
    file.WriteString("!");  // lands after "hello", not after the read-ahead
    file.Close();
    EXPECT_EQ(ReadAll(dir / "rw.bin"), "hello!world");
}

TEST(StdioFile, BufferedWriteToFullDeviceRaisesOnFlush) {
    CStdioFile full;
    ASSERT_TRUE(full.Open("/dev/full", CFile::modeWrite | CFile::shareDenyNone));
    full.WriteString("pending\n");
    EXPECT_EQ(RaisedCause([&] { full.Flush(); }), CFileException::diskFull);
    // What could not be written is dropped: closing does not raise the same failure again.
    EXPECT_EQ(RaisedCause([&] { full.Close(); }), noneRaised);
}

TEST(StdioFile, CloseRaisesWhenTheLastBytesCannotBeWritten) {
    CStdioFile full;
    ASSERT_TRUE(full.Open("/dev/full", CFile::modeWrite | CFile::shareDenyNone));
    full.WriteString("pending\n");
    EXPECT_EQ(RaisedCause([&] { full.Close(); }), CFileException::diskFull);
    EXPECT_FALSE(full.IsOpen());
    EXPECT_EQ(RaisedCause([&] { full.Close(); }), noneRaised);
}

TEST(StdioFile, LargeBinaryWriteToFullDeviceRaises) {
    CStdioFile full;
    ASSERT_TRUE(
        full.Open("/dev/full", CFile::modeWrite | CFile::shareDenyNone | CFile::typeBinary));
    std::string block(10000, 'x');
    EXPECT_EQ(RaisedCause([&] { full.WriteString(block); }), CFileException::diskFull);
}

TEST(StdioFile, DestructionOfAFailingFileDoesNotRaise) {
    auto* full = new CStdioFile;
    ASSERT_TRUE(full->Open("/dev/full", CFile::modeWrite | CFile::shareDenyNone));
    full->WriteString("pending");
    EXPECT_NO_THROW(delete full);
}

TEST(StdioFile, ThrowingConstructorOpensOrRaises) {
    TempDir dir;
    WriteAll(dir / "there.txt", "x\n");
    CStdioFile there(dir / "there.txt", readText);
    std::string line;
    EXPECT_TRUE(there.ReadString(line));
    EXPECT_EQ(RaisedCause([&] { CStdioFile missing(dir / "gone.txt", readText); }),
              CFileException::fileNotFound);
}

}  // namespace
