#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "tests/common/instance_lock_holder.h"

namespace {

namespace fs = std::filesystem;

class TemporaryDirectory {
public:
    TemporaryDirectory() {
        std::string pattern = (fs::temp_directory_path() / "instance-lock-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TemporaryDirectory() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, ignored);
        fs::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Restores an environment variable at the end of a test.
class SavedVariable {
public:
    explicit SavedVariable(const char* name) : name_(name) {
        if (const char* value = std::getenv(name))
            value_ = value;
    }
    ~SavedVariable() {
        if (value_)
            setenv(name_, value_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> value_;
};

TEST(InstanceLock, ASecondProcessFindsTheNameTakenAndACopyUnderAnotherNameRunsBeside) {
    TemporaryDirectory directory;
    InstanceLockHolder first(directory.path(), "Corvanite");
    ASSERT_TRUE(first.held());

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CreateInstanceLockIn(directory.path(), "Corvanite"), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    // Keyed by the name exactly.
    EXPECT_EQ(CreateInstanceLockIn(directory.path(), "corvanite"), TRUE);
    EXPECT_EQ(CreateInstanceLockIn(directory.path(), "Corvanite2"), TRUE);
}

TEST(InstanceLock, IsFreeAgainAfterItsHolderIsKilled) {
    TemporaryDirectory directory;
    InstanceLockHolder first(directory.path(), "Corvanite");
    ASSERT_TRUE(first.held());
    first.kill();
    EXPECT_EQ(CreateInstanceLockIn(directory.path(), "Corvanite"), TRUE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

TEST(InstanceLock, IsHeldForTheRestOfTheProcessAndNotPassedToProgramsItStarts) {
    TemporaryDirectory directory;
    ASSERT_EQ(CreateInstanceLockIn(directory.path(), "Held"), TRUE);
    EXPECT_EQ(CreateInstanceLockIn(directory.path(), "Held"), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);

    const fs::path lockFile = fs::path(directory.path()) / "Held.lock";
    EXPECT_EQ(fs::status(lockFile).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    int closedOnExec = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fs::read_symlink(entry.path(), error) != lockFile)
            continue;
        const int flags = fcntl(std::stoi(entry.path().filename().string()), F_GETFD);
        EXPECT_NE(flags & FD_CLOEXEC, 0);
        ++closedOnExec;
    }
    EXPECT_EQ(closedOnExec, 1);
}

TEST(InstanceLock, RefusesADirectoryOthersCanWriteOrALinkedOne) {
    TemporaryDirectory directory;
    for (const mode_t mode : {0777, 0770, 0722, 0702, 01777}) {
        ASSERT_EQ(chmod(directory.path().c_str(), mode), 0);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(CreateInstanceLockIn(directory.path(), "Corvanite"), FALSE) << std::oct << mode;
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
    ASSERT_EQ(chmod(directory.path().c_str(), 0700), 0);

    TemporaryDirectory other;
    const std::string link = other.path() + "/link";
    ASSERT_EQ(symlink(directory.path().c_str(), link.c_str()), 0);
    EXPECT_EQ(CreateInstanceLockIn(link, "Corvanite"), FALSE);
    EXPECT_EQ(CreateInstanceLockIn("relative", "Corvanite"), FALSE);
    EXPECT_EQ(CreateInstanceLockIn("", "Corvanite"), FALSE);
}

TEST(InstanceLock, RefusesADirectoryOfAnotherUser) {
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a directory to another user needs root";
    TemporaryDirectory directory;
    ASSERT_EQ(chown(directory.path().c_str(), 65534, 65534), 0);
    EXPECT_EQ(CreateInstanceLockIn(directory.path(), "Corvanite"), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(InstanceLock, NeverFollowsALinkPlantedAsTheLockFile) {
    TemporaryDirectory directory;
    const std::string target = directory.path() + "/elsewhere";
    const std::string lockFile = directory.path() + "/Corvanite.lock";
    ASSERT_EQ(symlink(target.c_str(), lockFile.c_str()), 0);
    EXPECT_EQ(CreateInstanceLockIn(directory.path(), "Corvanite"), FALSE);
    EXPECT_NE(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(fs::exists(target));
}

TEST(InstanceLock, UsesTheRuntimeDirectoryWhenItIsSafe) {
    SavedVariable runtime("XDG_RUNTIME_DIR");
    TemporaryDirectory directory;
    setenv("XDG_RUNTIME_DIR", directory.path().c_str(), 1);
    EXPECT_EQ(InstanceLockDirectory(), directory.path());
    EXPECT_EQ(CreateInstanceLock("Corvanite"), TRUE);
    EXPECT_TRUE(fs::exists(directory.path() + "/Corvanite.lock"));
}

TEST(InstanceLock, OtherwiseUsesAPrivateFolderOfItsOwn) {
    SavedVariable runtime("XDG_RUNTIME_DIR");
    SavedVariable temporary("TMPDIR");
    TemporaryDirectory unsafe;
    ASSERT_EQ(chmod(unsafe.path().c_str(), 0777), 0);
    TemporaryDirectory base;
    setenv("TMPDIR", base.path().c_str(), 1);
    const std::string expected = base.path() + "/corvanite-" + std::to_string(geteuid());

    for (const char* value :
         {static_cast<const char*>(nullptr), "", "relative", unsafe.path().c_str()}) {
        if (value)
            setenv("XDG_RUNTIME_DIR", value, 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(InstanceLockDirectory(), expected) << (value ? value : "(unset)");
    }
    struct stat status;
    ASSERT_EQ(lstat(expected.c_str(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_EQ(CreateInstanceLock("Corvanite"), TRUE);

    // A folder of that name that others can write is not used.
    ASSERT_EQ(chmod(expected.c_str(), 0777), 0);
    EXPECT_EQ(InstanceLockDirectory(), "");
    EXPECT_EQ(CreateInstanceLock("Corvanite"), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

}  // namespace
