#include "bandwidth/destination_file.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

TEST(DestinationFile, CreatesAndEmptiesThenKeepsEveryByte) {
    TempDir dir;
    writeFile(dir.file("d.bin"), std::string(500000, 'x'));
    DestinationFile file;
    ASSERT_TRUE(file.open(dir.file("d.bin")));
    EXPECT_EQ(readFile(dir.file("d.bin")), "");

    const std::string data = patternBytes(300000);
    for (std::size_t at = 0; at < data.size(); at += 1000) {
        ASSERT_TRUE(file.write(data.data() + at, 1000));
    }
    ASSERT_TRUE(file.flush());
    EXPECT_EQ(readFile(dir.file("d.bin")), data);  // flushed: visible before closing
    ASSERT_TRUE(file.write("tail", 4));
    file.close();
    EXPECT_EQ(readFile(dir.file("d.bin")), data + "tail");
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(file.write("x", 1));
}

TEST(DestinationFile, LargeWritesPassStraightThrough) {
    TempDir dir;
    DestinationFile file;
    ASSERT_TRUE(file.open(dir.file("big.bin")));
    const std::string data = patternBytes(1 << 20);
    ASSERT_TRUE(file.write("ab", 2));
    ASSERT_TRUE(file.write(data.data(), data.size()));
    file.close();
    EXPECT_EQ(readFile(dir.file("big.bin")), "ab" + data);
}

TEST(DestinationFile, RefusesLinksAndWhatIsNoRegularFile) {
    TempDir dir;
    writeFile(dir.file("target.txt"), "keep");
    ASSERT_EQ(symlink(dir.file("target.txt").c_str(), dir.file("link.bin").c_str()), 0);
    ASSERT_EQ(mkfifo(dir.file("fifo.bin").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(dir.file("dir.bin").c_str(), 0700), 0);

    DestinationFile file;
    EXPECT_FALSE(file.open(dir.file("link.bin")));
    EXPECT_FALSE(file.open(dir.file("fifo.bin")));  // returns at once: no reader needed
    EXPECT_FALSE(file.open(dir.file("dir.bin")));
    EXPECT_FALSE(file.open(dir.file("missing/x.bin")));
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(readFile(dir.file("target.txt")), "keep");
}

TEST(DestinationFile, FileHeldByAnotherWriterIsNeitherOpenedNorEmptied) {
    TempDir dir;
    writeFile(dir.file("held.bin"), "held");
    const int holder = open(dir.file("held.bin").c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);

    DestinationFile file;
    EXPECT_FALSE(file.open(dir.file("held.bin")));
    EXPECT_EQ(readFile(dir.file("held.bin")), "held");
    close(holder);
    EXPECT_TRUE(file.open(dir.file("held.bin")));
}

TEST(DestinationFile, HoldsTheWriteLockWhileOpen) {
    TempDir dir;
    DestinationFile file;
    ASSERT_TRUE(file.open(dir.file("mine.bin")));
    const int other = open(dir.file("mine.bin").c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);
    file.close();
    EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    close(other);
}

}  // namespace

namespace {

TEST(DestinationFile, BlocksReadIntoItsRoomCountOnlyOnceCommitted) {
    TempDir dir;
    DestinationFile file;
    ASSERT_TRUE(file.open(dir.file("room.bin")));
    const std::string data = patternBytes(300000);
    std::size_t at = 0;
    while (at < data.size()) {
        char* room = file.space(1024);
        ASSERT_NE(room, nullptr);
        const std::size_t n = std::min<std::size_t>(1000, data.size() - at);
        std::memcpy(room, data.data() + at, n);
        file.commit(n);
        at += n;
    }
    std::memcpy(file.space(1024), "dropped", 7);  // placed, never committed
    file.close();
    EXPECT_EQ(readFile(dir.file("room.bin")), data);
    EXPECT_EQ(file.space(1024), nullptr);
}

}  // namespace
