#include "frontend/url_list_file.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/temp_dir.h"

namespace {

class UrlListFile : public ::testing::Test {
protected:
    std::string write(const std::string& bytes) {
        const std::string path = folder_.file("Corvanite.cfg");
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    testsupport::TempDir folder_;
};

using Entries = std::vector<std::string>;

TEST_F(UrlListFile, LinesBecomeEntriesWithoutTheirLineEnds) {
    const struct {
        const char* name;
        std::string bytes;
        Entries entries;
    } table[] = {
        {"LF", "http://a/x.exe\nftp://b/y.pdf\n", {"http://a/x.exe", "ftp://b/y.pdf"}},
        {"CR LF", "http://a/x.exe\r\nftp://b/y.pdf\r\n", {"http://a/x.exe", "ftp://b/y.pdf"}},
        {"blank lines skipped",
         "\n\nhttp://a/x.exe\n\r\n\nhttp://b/y.exe\n\n",
         {"http://a/x.exe", "http://b/y.exe"}},
        {"last line without line end",
         "http://a/x.exe\nhttp://b/y.exe",
         {"http://a/x.exe", "http://b/y.exe"}},
        {"no trimming", "  http://a/x.exe \t\n \n", {"  http://a/x.exe \t", " "}},
        {"duplicates kept in order", "b\na\nb\n", {"b", "a", "b"}},
        {"a carriage return alone is text", "a\rb\nc\r", {"a\rb", "c\r"}},
        {"only blank lines", "\n\r\n\n", {}},
        {"empty file", "", {}},
    };
    for (const auto& row : table) {
        const auto entries = ReadUrlListFile(write(row.bytes));
        ASSERT_TRUE(entries.has_value()) << row.name;
        EXPECT_EQ(*entries, row.entries) << row.name;
    }
}

TEST_F(UrlListFile, LongLinesArriveWhole) {
    const std::string line300 = "http://host/" + std::string(300 - 16, 'a') + ".exe";
    ASSERT_EQ(line300.size(), 300u);
    const std::string line100k = "http://host/" + std::string(100000, 'b') + ".exe";
    const auto entries = ReadUrlListFile(write(line300 + "\r\n" + line100k + "\n" + line300));
    ASSERT_TRUE(entries.has_value());
    EXPECT_EQ(*entries, (Entries{line300, line100k, line300}));
}

TEST_F(UrlListFile, AbsentFileIsNoList) {
    EXPECT_FALSE(ReadUrlListFile(folder_.file("Corvanite.cfg")).has_value());
}

TEST_F(UrlListFile, FolderIsNoList) {
    EXPECT_FALSE(ReadUrlListFile(folder_.path()).has_value());
}

TEST_F(UrlListFile, FileLockedByAWriterIsNoList) {
    const std::string path = write("http://a/x.exe\n");
    const int writer = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    EXPECT_FALSE(ReadUrlListFile(path).has_value());
    ::close(writer);
    EXPECT_TRUE(ReadUrlListFile(path).has_value());
}

TEST_F(UrlListFile, OtherReadersDoNotStopIt) {
    const std::string path = write("http://a/x.exe\n");
    const int reader = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(::flock(reader, LOCK_SH), 0);
    EXPECT_EQ(ReadUrlListFile(path), (Entries{"http://a/x.exe"}));
    ::close(reader);
}

TEST_F(UrlListFile, UnreadableFileIsNoList) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    const std::string path = write("http://a/x.exe\n");
    ::chmod(path.c_str(), 0);
    EXPECT_FALSE(ReadUrlListFile(path).has_value());
}

}  // namespace
