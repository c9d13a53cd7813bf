#include "cli/report_block.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::TempDir;
using testsupport::writeFile;

std::string OnDisk(const std::string& text) {
    std::string disk;
    for (char c : text) {
        if (c == '\n') {
            disk += '\r';
        }
        disk += c;
    }
    return disk;
}

std::string Block(const std::string& url, const std::string& bytes) {
    return "Internet Band Width Test Report\n"
           "                               ------ Corvanite by Brellwick\n"
           "\n"
           "=================================================================================\n"
           "Test DateTime:  2026-12-08 03:30:05\n"
           "Test URL:       " +
           url +
           "\n"
           "Bytes Received: " +
           bytes +
           ".\n"
           "Seconds Spaned: 10\n"
           "Band Width:     120.56 KBytes/Seconds,  964.51 K bps\n"
           "=================================================================================\n"
           "\n"
           "\n";
}

TEST(ReportBlock, IsReadFromWhereTheTestBegan) {
    TempDir dir;
    const std::string older = OnDisk(Block("http://a/old.bin", "7"));
    const std::string mine = Block("http://a/f.bin", "1234567");
    const std::string later = OnDisk(Block("http://a/later.bin", "9"));
    writeFile(dir.file("r.txt"), older + OnDisk(mine) + later);
    const auto block = ReadReportBlock(dir.file("r.txt"), older.size());
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(*block, mine);
    EXPECT_EQ(BytesReceivedOf(*block).value(), 1234567u);
}

TEST(ReportBlock, ALongUrlIsReadWhole) {
    TempDir dir;
    const std::string url = "http://a/" + std::string(20000, 'x') + ".bin";
    writeFile(dir.file("r.txt"), OnDisk(Block(url, "5")));
    const auto block = ReadReportBlock(dir.file("r.txt"), 0);
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(*block, Block(url, "5"));
}

TEST(ReportBlock, NothingWithoutAWholeBlock) {
    TempDir dir;
    const std::string block = OnDisk(Block("http://a/f.bin", "5"));
    writeFile(dir.file("r.txt"), block.substr(0, block.size() - 2));
    EXPECT_FALSE(ReadReportBlock(dir.file("r.txt"), 0).has_value());
    EXPECT_FALSE(ReadReportBlock(dir.file("r.txt"), block.size() + 10).has_value());
    EXPECT_FALSE(ReadReportBlock(dir.file("missing.txt"), 0).has_value());
}

TEST(ReportBlock, TheByteFigureNeedsItsLine) {
    EXPECT_EQ(BytesReceivedOf(Block("u", "0")).value(), 0u);
    EXPECT_EQ(BytesReceivedOf(Block("u", "6000000000")).value(), 6000000000u);
    EXPECT_FALSE(BytesReceivedOf(Block("u", "")).has_value());
    EXPECT_FALSE(BytesReceivedOf(Block("u", "-1")).has_value());
    EXPECT_FALSE(BytesReceivedOf(Block("u", "12x")).has_value());
    EXPECT_FALSE(BytesReceivedOf("Bytes Received: 5.\n").has_value());
}

}  // namespace
