#pragma once

// The file a test saves its download in. Created anew (an existing file is emptied), written
// in binary, and held with the advisory write lock that every writer of the program takes, so
// that others may read it but not write it while a test runs. Writes are gathered in memory
// and handed to the system in large pieces: a test writes one small block at a time.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class DestinationFile {
public:
    DestinationFile() = default;
    ~DestinationFile();
    DestinationFile(const DestinationFile&) = delete;
    DestinationFile& operator=(const DestinationFile&) = delete;

    // False when the file cannot be created: the path names a symbolic link (never followed,
    // so a planted link cannot redirect the download onto another file), something other than
    // a regular file, or a file that another writer holds. errno tells why.
    bool open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    // For writes at offsets (pwrite), which bypass the file's buffer; -1 when closed.
    int descriptor() const { return fd_; }

    // False once a write to the system has failed (for instance, the disk is full).
    bool write(const void* data, std::size_t size);
    // The system's error number of the write that failed; 0 while none has.
    int writeError() const { return writeError_; }
    // Room for up to size bytes (at most the buffer's size) at the end of the file's own
    // buffer, so that a block can be read straight into it; null once a write has failed.
    // Nothing placed there counts as written until commit.
    char* space(std::size_t size) {
        // Called for every block: the common case, room left, is decided here inline.
        if (used_ + size <= kBufferSize && fd_ >= 0 && !failed_) {
            return buffer_.get() + used_;
        }
        return spaceAfterFlush(size);
    }
    // Writes the first size bytes placed in the room that space gave.
    void commit(std::size_t size) { used_ += size; }
    // Hands everything written so far to the system.
    bool flush();
    // Flushes what it can, then releases the file. Does nothing when no file is open.
    void close();
    // Removes the file, which holds no whole download, and releases it; a name that no longer
    // leads to this file is left alone. Does nothing when no file is open.
    void discard();

private:
public:
    // Measured on a 1 GiB download to ext4: 512 KiB pieces cost the system a quarter less time
    // than 128 KiB ones; 1 MiB gained nothing more, and 4 MiB took twice as long.
    static constexpr std::size_t kBufferSize = 512 * 1024;

private:
    char* spaceAfterFlush(std::size_t size);
    bool writeOut(const char* data, std::size_t size);

    int fd_ = -1;
    std::string path_;
    bool failed_ = false;
    int writeError_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
};
