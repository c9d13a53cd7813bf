#include "bandwidth/report.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <deque>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "framework/file.h"
#include "tests/framework/temp_dir.h"

namespace {

const std::string reportName = "BandWidth_TestRpt.txt";

// 2026-12-08 03:30:05, shown in UTC so that the stamp does not depend on the machine.
constexpr std::time_t exampleStart = 1796700605;

// A clock that answers with the given readings in turn, and keeps the last.
TestReport::Clock Readings(std::vector<std::time_t> readings) {
    auto left = std::make_shared<std::deque<std::time_t>>(readings.begin(), readings.end());
    return [left] {
        std::time_t now = left->front();
        if (left->size() > 1) {
            left->pop_front();
        }
        return now;
    };
}

bool Utc(std::time_t t, std::tm& out) {
    return ::gmtime_r(&t, &out) != nullptr;
}

bool NoLocalTime(std::time_t, std::tm&) {
    return false;
}

std::string OnDisk(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

const std::string head =
    "Internet Band Width Test Report\n"
    "                               ------ Corvanite by Brellwick\n"
    "\n"
    "=================================================================================\n";
const std::string tail =
    "=================================================================================\n"
    "\n"
    "\n";

std::string Block(const std::string& stamp, const std::string& url, const std::string& bytes,
                  const std::string& seconds, const std::string& bandWidth) {
    return head + "Test DateTime:  " + stamp + "\n" + "Test URL:       " + url + "\n" +
           "Bytes Received: " + bytes + ".\n" + "Seconds Spaned: " + seconds + "\n" +
           "Band Width:     " + bandWidth + "\n" + tail;
}

// One whole test against dir: open, begin, finish, close.
bool RunReport(const TempDir& dir, const std::string& url, std::uint64_t bytes, std::time_t start,
               std::time_t end) {
    TestReport report(Readings({start, end}), Utc);
    if (!report.open(dir.path())) {
        return false;
    }
    report.begin(url);
    bool written = report.finish(bytes);
    report.close();
    return written;
}

TEST(TestReport, WorkedExampleByteForByte) {
    TempDir dir;
    ASSERT_TRUE(RunReport(dir, "ftp://fileserver/pub/sample.bin", 1234567, exampleStart,
                          exampleStart + 10));
    const std::string expected =
        "Internet Band Width Test Report\r\n"
        "                               ------ Corvanite by Brellwick\r\n"
        "\r\n"
        "=================================================================================\r\n"
        "Test DateTime:  2026-12-08 03:30:05\r\n"
        "Test URL:       ftp://fileserver/pub/sample.bin\r\n"
        "Bytes Received: 1234567.\r\n"
        "Seconds Spaned: 10\r\n"
        "Band Width:     120.56 KBytes/Seconds,  964.51 K bps\r\n"
        "=================================================================================\r\n"
        "\r\n"
        "\r\n";
    std::string file = ReadAll(dir / reportName);
    EXPECT_EQ(file, expected);
    EXPECT_EQ(file.size(), 453u);
    std::string inMemory = file;
    std::erase(inMemory, '\r');
    EXPECT_EQ(inMemory.size(), 441u);
}

TEST(TestReport, EveryLineEndIsCrLfAndABlockHasTwelveLines) {
    TempDir dir;
    ASSERT_TRUE(RunReport(dir, "http://h/f.bin", 42, exampleStart, exampleStart + 2));
    std::string file = ReadAll(dir / reportName);
    std::size_t lineEnds = 0;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '\n') {
            ++lineEnds;
            ASSERT_GT(i, 0u);
            EXPECT_EQ(file[i - 1], '\r') << "bare line feed at " << i;
        }
    }
    EXPECT_EQ(lineEnds, 12u);
    EXPECT_EQ(file.substr(file.size() - 6), "\r\n\r\n\r\n");
    // The labels are 16 wide: every value starts in column 17.
    for (const char* label : {"Test DateTime:  ", "Test URL:       ", "Bytes Received: ",
                              "Seconds Spaned: ", "Band Width:     "}) {
        EXPECT_EQ(std::string(label).size(), 16u);
        EXPECT_NE(file.find(std::string("\r\n") + label), std::string::npos) << label;
    }
}

struct FiguresCase {
    const char* name;
    std::uint64_t bytes;
    std::int64_t elapsed;
    const char* seconds;
    const char* bandWidth;
};

void PrintTo(const FiguresCase& c, std::ostream* os) {
    *os << c.name;
}

const FiguresCase figuresCases[] = {
    {"WorkedExample", 1234567, 10, "10", "120.56 KBytes/Seconds,  964.51 K bps"},
    {"WithinOneSecond", 1234567, 0, "< 1", "> 1205.63 KBytes/Seconds,  9645.05 K bps"},
    {"ClockSetBack", 1234567, -3600, "< 1", "> 1205.63 KBytes/Seconds,  9645.05 K bps"},
    {"ExactHalfRaised", 1152, 1, "1", "1.13 KBytes/Seconds,  9.00 K bps"},
    {"EmptyFile", 0, 5, "5", "0.00 KBytes/Seconds,  0.00 K bps"},
    {"Largest32Bit", 4294967295u, 1, "1", "4194304.00 KBytes/Seconds,  33554431.99 K bps"},
    {"HighBitSet", 2147483648u, 3, "3", "699050.67 KBytes/Seconds,  5592405.33 K bps"},
    {"Thousand", 1000, 3, "3", "0.33 KBytes/Seconds,  2.60 K bps"},
    {"FiveGiB", 5368709120u, 10, "10", "524288.00 KBytes/Seconds,  4194304.00 K bps"},
    {"LongTest", 3000000000u, 86400, "86400", "33.91 KBytes/Seconds,  271.27 K bps"},
};

class TestReportFigures : public ::testing::TestWithParam<FiguresCase> {};

TEST_P(TestReportFigures, Lines7To9) {
    const FiguresCase& c = GetParam();
    TempDir dir;
    ASSERT_TRUE(RunReport(dir, "http://h/f.bin", c.bytes, exampleStart, exampleStart + c.elapsed));
    EXPECT_EQ(ReadAll(dir / reportName),
              OnDisk(Block("2026-12-08 03:30:05", "http://h/f.bin", std::to_string(c.bytes),
                           c.seconds, c.bandWidth)));
}

INSTANTIATE_TEST_SUITE_P(Table, TestReportFigures, ::testing::ValuesIn(figuresCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TestReport, UrlWithPercentIsWrittenAsTyped) {
    TempDir dir;
    const std::string url = "http://h/%s%n%d%%20/a%2Fb.bin?x=%lu";
    ASSERT_TRUE(RunReport(dir, url, 1, exampleStart, exampleStart + 1));
    EXPECT_NE(ReadAll(dir / reportName).find("\r\nTest URL:       " + url + "\r\n"),
              std::string::npos);
}

TEST(TestReport, ExistingContentIsKeptAndTheBlockFollowsItsLastByte) {
    TempDir dir;
    const std::string old = "earlier report\r\nlast line without an end";
    WriteAll(dir / reportName, old);
    ASSERT_TRUE(RunReport(dir, "http://h/f.bin", 1152, exampleStart, exampleStart + 1));
    EXPECT_EQ(ReadAll(dir / reportName),
              old + OnDisk(Block("2026-12-08 03:30:05", "http://h/f.bin", "1152", "1",
                                 "1.13 KBytes/Seconds,  9.00 K bps")));
}

TEST(TestReport, BlocksFollowOneAnother) {
    TempDir dir;
    ASSERT_TRUE(RunReport(dir, "http://h/a.bin", 1024, exampleStart, exampleStart + 1));
    ASSERT_TRUE(RunReport(dir, "http://h/b.bin", 2048, exampleStart + 60, exampleStart + 62));
    EXPECT_EQ(ReadAll(dir / reportName),
              OnDisk(Block("2026-12-08 03:30:05", "http://h/a.bin", "1024", "1",
                           "1.00 KBytes/Seconds,  8.00 K bps") +
                     Block("2026-12-08 03:31:05", "http://h/b.bin", "2048", "2",
                           "1.00 KBytes/Seconds,  8.00 K bps")));
}

TEST(TestReport, MissingFileIsCreated) {
    TempDir dir;
    ASSERT_FALSE(std::filesystem::exists(dir / reportName));
    ASSERT_TRUE(RunReport(dir, "http://h/f.bin", 0, exampleStart, exampleStart + 5));
    EXPECT_EQ(ReadAll(dir / reportName), OnDisk(Block("2026-12-08 03:30:05", "http://h/f.bin", "0",
                                                      "5", "0.00 KBytes/Seconds,  0.00 K bps")));
}

TEST(TestReport, CancelledTestLeavesTheFileUnchanged) {
    TempDir dir;
    const std::string old = "kept\r\n";
    WriteAll(dir / reportName, old);
    {
        TestReport report(Readings({exampleStart}), Utc);
        ASSERT_TRUE(report.open(dir.path()));
        report.begin("http://h/f.bin");
        report.close();
    }
    EXPECT_EQ(ReadAll(dir / reportName), old);
}

TEST(TestReport, CancelledTestCreatesAnEmptyFile) {
    TempDir dir;
    {
        TestReport report(Readings({exampleStart}), Utc);
        ASSERT_TRUE(report.open(dir.path()));
        report.begin("http://h/f.bin");
    }  // destroyed without finish: nothing is written
    EXPECT_TRUE(std::filesystem::exists(dir / reportName));
    EXPECT_EQ(ReadAll(dir / reportName), "");
}

TEST(TestReport, FailingLocalTimeGivesAnEmptyStamp) {
    TempDir dir;
    TestReport report(Readings({exampleStart, exampleStart + 1}), NoLocalTime);
    ASSERT_TRUE(report.open(dir.path()));
    report.begin("http://h/f.bin");
    ASSERT_TRUE(report.finish(1024));
    report.close();
    EXPECT_NE(ReadAll(dir / reportName).find("\r\nTest DateTime:  \r\nTest URL:       "),
              std::string::npos);
}

TEST(TestReport, SystemClockAndLocalTimeGiveAStamp) {
    TempDir dir;
    TestReport report;
    ASSERT_TRUE(report.open(dir.path()));
    report.begin("http://h/f.bin");
    ASSERT_TRUE(report.finish(1));
    report.close();
    std::string file = ReadAll(dir / reportName);
    std::string::size_type at = file.find("Test DateTime:  ");
    ASSERT_NE(at, std::string::npos);
    std::string stamp = file.substr(at + 16, 21);
    const std::string shape = "dddd-dd-dd dd:dd:dd\r\n";
    ASSERT_EQ(stamp.size(), shape.size());
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'd') {
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(stamp[i]))) << stamp;
        } else {
            EXPECT_EQ(stamp[i], shape[i]) << stamp;
        }
    }
}

TEST(TestReport, TwoTestsAtOnceEachAppendTheirBlockWhole) {
    TempDir dir;
    TestReport first(Readings({exampleStart, exampleStart + 9}), Utc);
    TestReport second(Readings({exampleStart + 1, exampleStart + 3}), Utc);
    ASSERT_TRUE(first.open(dir.path()));
    ASSERT_TRUE(second.open(dir.path()));
    first.begin("http://h/a.bin");
    second.begin("http://h/b.bin");
    // A reader that does not write (the viewer) is let in meanwhile.
    CFile viewer;
    EXPECT_TRUE(viewer.Open(dir / reportName, CFile::modeRead | CFile::shareDenyWrite));
    viewer.Close();
    ASSERT_TRUE(second.finish(2048));
    ASSERT_TRUE(first.finish(9216));
    const std::string secondBlock = OnDisk(Block("2026-12-08 03:30:06", "http://h/b.bin", "2048",
                                                 "2", "1.00 KBytes/Seconds,  8.00 K bps"));
    EXPECT_EQ(ReadAll(dir / reportName),
              secondBlock + OnDisk(Block("2026-12-08 03:30:05", "http://h/a.bin", "9216", "9",
                                         "1.00 KBytes/Seconds,  8.00 K bps")));
    EXPECT_EQ(second.blockStart(), 0u);
    EXPECT_EQ(first.blockStart(), secondBlock.size());
}

TEST(TestReport, AnotherWritersAppendIsWaitedForAndKeptWhole) {
    TempDir dir;
    WriteAll(dir / reportName, "old\r\n");
    CFile writer;
    ASSERT_TRUE(writer.Open(dir / reportName,
                            CFile::modeWrite | CFile::modeNoTruncate | CFile::shareDenyWrite));
    // The other writer ends its append while this one waits.
    int waits = 0;
    TestReport report(Readings({exampleStart, exampleStart + 1}), Utc, [&](int) {
        if (++waits == 2) {
            writer.SeekToEnd();
            writer.Write("theirs\r\n", 8);
            writer.Close();
        }
        return true;
    });
    ASSERT_TRUE(report.open(dir.path()));
    report.begin("http://h/f.bin");
    EXPECT_TRUE(report.finish(1152));
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(ReadAll(dir / reportName),
              "old\r\ntheirs\r\n" + OnDisk(Block("2026-12-08 03:30:05", "http://h/f.bin", "1152",
                                                 "1", "1.13 KBytes/Seconds,  9.00 K bps")));
}

TEST(TestReport, AWriterThatKeepsTheLockKeepsTheBlockOut) {
    TempDir dir;
    WriteAll(dir / reportName, "old");
    CFile writer;
    ASSERT_TRUE(writer.Open(dir / reportName,
                            CFile::modeWrite | CFile::modeNoTruncate | CFile::shareDenyWrite));
    TestReport report(Readings({exampleStart, exampleStart + 1}), Utc,
                      [](int failedTries) { return failedTries < 3; });
    ASSERT_TRUE(report.open(dir.path()));
    report.begin("http://h/f.bin");
    EXPECT_FALSE(report.finish(1152));
    EXPECT_EQ(errno, EWOULDBLOCK);
    EXPECT_FALSE(report.blockStart().has_value());
    EXPECT_EQ(ReadAll(dir / reportName), "old");
}

TEST(TestReport, MissingDirectoryDoesNotOpen) {
    TempDir dir;
    TestReport report;
    EXPECT_FALSE(report.open(dir / "missing"));
    report.begin("http://h/f.bin");
    EXPECT_FALSE(report.finish(1));
    EXPECT_NO_THROW(report.close());
}

TEST(TestReport, FinishWithoutBeginWritesNothing) {
    TempDir dir;
    TestReport report(Readings({exampleStart}), Utc);
    ASSERT_TRUE(report.open(dir.path()));
    EXPECT_FALSE(report.finish(1));
    report.close();
    EXPECT_EQ(ReadAll(dir / reportName), "");
}

TEST(TestReport, CloseIsSafeAnyNumberOfTimes) {
    TestReport report;
    EXPECT_NO_THROW(report.close());
    TempDir dir;
    ASSERT_TRUE(report.open(dir.path()));
    EXPECT_NO_THROW(report.close());
    EXPECT_NO_THROW(report.close());
}

// Writes one block in a child process whose files may grow to limitBytes only (the limit holds
// for the whole process): 0 when finish says the block was not written, 1 when it claims it
// was, 2 when the report could not be opened.
int FinishUnderFileSizeLimit(const TempDir& dir, rlim_t limitBytes) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit;
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = limitBytes;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            ::_exit(3);
        }
        TestReport report(Readings({exampleStart, exampleStart + 1}), Utc);
        if (!report.open(dir.path())) {
            ::_exit(2);
        }
        report.begin("http://h/f.bin");
        const bool written = report.finish(1024);
        report.close();
        ::_exit(written ? 1 : 0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// No byte of the block can be written (a full disk, a file size limit): finish says so and
// close does not raise. The report is never a device: the limit stands in for the full disk.
TEST(TestReport, WriteRefusedFromTheFirstByteIsAFailedFinish) {
    TempDir dir;
    EXPECT_EQ(FinishUnderFileSizeLimit(dir, 0), 0) << "1: finish claimed success, 2: open failed";
    EXPECT_EQ(ReadAll(dir / reportName), "");
}

// A file size limit makes the block's write stop partway, as a disk that fills up would.
// Runs in a child process, since the limit holds for the whole process.
TEST(TestReport, WriteThatStopsPartwayLeavesTheFileAsItWas) {
    TempDir dir;
    const std::string old = "earlier block\r\n";
    WriteAll(dir / reportName, old);
    EXPECT_EQ(FinishUnderFileSizeLimit(dir, old.size() + 100), 0)
        << "1: finish claimed success, 2: open failed";
    EXPECT_EQ(ReadAll(dir / reportName), old);
    // The next test can still append its block.
    ASSERT_TRUE(RunReport(dir, "http://h/f.bin", 1152, exampleStart, exampleStart + 1));
    EXPECT_EQ(ReadAll(dir / reportName),
              old + OnDisk(Block("2026-12-08 03:30:05", "http://h/f.bin", "1152", "1",
                                 "1.13 KBytes/Seconds,  9.00 K bps")));
}

TEST(TestReport, FinishedBlockIsInTheFileBeforeClose) {
    TempDir dir;
    TestReport report(Readings({exampleStart, exampleStart + 10}), Utc);
    ASSERT_TRUE(report.open(dir.path()));
    report.begin("ftp://fileserver/pub/sample.bin");
    ASSERT_TRUE(report.finish(1234567));
    EXPECT_EQ(ReadAll(dir / reportName).size(), 453u);
    report.close();
}

}  // namespace
