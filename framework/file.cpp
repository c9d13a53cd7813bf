#include "framework/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "framework/exception.h"
#include "framework/file_exception.h"

namespace {

constexpr UINT accessMask = 0x0003;
constexpr UINT shareMask = 0x0070;

bool IsWriter(UINT flags) {
    return (flags & accessMask) == CFile::modeWrite || (flags & accessMask) == CFile::modeReadWrite;
}

// The advisory lock that a share mode asks for, or 0 for none.
int LockFor(UINT flags) {
    UINT share = flags & shareMask;
    if (share == CFile::shareDenyNone || share == CFile::shareCompat) {
        return 0;
    }
    if (share == CFile::shareDenyWrite && !IsWriter(flags)) {
        return LOCK_SH;
    }
    return LOCK_EX;
}

void Fill(CFileException* error, int cause, long osError, const std::string& path) {
    if (error != nullptr) {
        error->m_cause = cause;
        error->m_lOsError = osError;
        error->m_strFileName = path;
    }
}

}  // namespace

CFile::CFile(const std::string& path, UINT flags) {
    CFileException error;
    if (!Open(path, flags, &error)) {
        CFileException::Throw(error.m_cause, error.m_lOsError, error.m_strFileName);
    }
}

CFile::~CFile() {
    // Only the descriptor is ours here: the derived classes close their own state first.
    CloseHandle();
}

bool CFile::Open(const std::string& path, UINT flags, CFileException* error) {
    if (IsOpen()) {
        Fill(error, CFileException::genericException, EBUSY, path);
        return false;
    }
    int oflags = O_CLOEXEC;
    switch (flags & accessMask) {
        case modeRead:
            oflags |= O_RDONLY;
            break;
        case modeWrite:
            oflags |= O_WRONLY;
            break;
        case modeReadWrite:
            oflags |= O_RDWR;
            break;
        default:
            Fill(error, CFileException::genericException, EINVAL, path);
            return false;
    }
    if (flags & modeCreate) {
        oflags |= O_CREAT;
    }
    const bool plainFileOnly = (flags & modeNoFollow) != 0;
    if (plainFileOnly) {
        // Non-blocking, so that a FIFO planted under the name cannot hold the caller here.
        oflags |= O_NOFOLLOW | O_NONBLOCK;
    }
    // Never O_TRUNC: the file is emptied only after the lock is ours.
    int fd;
    do {
        fd = ::open(path.c_str(), oflags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        int e = errno;
        Fill(error, CFileException::OsErrorToException(e), e, path);
        return false;
    }
    auto fail = [&](int cause, int e) {
        ::close(fd);
        Fill(error, cause, e, path);
        return false;
    };
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        int e = errno;
        return fail(CFileException::OsErrorToException(e), e);
    }
    if (S_ISDIR(st.st_mode)) {
        return fail(CFileException::accessDenied, EISDIR);
    }
    if (plainFileOnly) {
        if (!S_ISREG(st.st_mode)) {
            return fail(CFileException::accessDenied, EINVAL);
        }
        if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
            int e = errno;
            return fail(CFileException::OsErrorToException(e), e);
        }
    }
    if (int lock = LockFor(flags); lock != 0) {
        int rc;
        do {
            rc = ::flock(fd, lock | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            int e = errno;
            return fail(e == EWOULDBLOCK ? CFileException::sharingViolation
                                         : CFileException::OsErrorToException(e),
                        e);
        }
    }
    if ((flags & modeCreate) && !(flags & modeNoTruncate) && S_ISREG(st.st_mode) &&
        st.st_size != 0) {
        if (::ftruncate(fd, 0) != 0) {
            int e = errno;
            return fail(CFileException::OsErrorToException(e), e);
        }
    }
    m_hFile = fd;
    m_openFlags = flags;
    m_strFileName = path;
    return true;
}

UINT CFile::Read(void* buffer, UINT count) {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    char* to = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < count) {
        ssize_t n = ::read(m_hFile, to + done, count - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowErrno();
        }
        if (n == 0) {
            break;
        }
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count) {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    const char* from = static_cast<const char*>(buffer);
    UINT done = 0;
    while (done < count) {
        ssize_t n = ::write(m_hFile, from + done, count - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowErrno();
        }
        if (n == 0) {
            CFileException::Throw(CFileException::diskFull, ENOSPC, m_strFileName);
        }
        done += static_cast<UINT>(n);
    }
}

std::uint64_t CFile::Seek(std::int64_t offset, UINT from) {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    int whence = from == begin     ? SEEK_SET
                 : from == current ? SEEK_CUR
                 : from == end     ? SEEK_END
                                   : -1;
    if (whence < 0) {
        CFileException::Throw(CFileException::badSeek, EINVAL, m_strFileName);
    }
    off_t at = ::lseek(m_hFile, static_cast<off_t>(offset), whence);
    if (at < 0) {
        ThrowErrno();
    }
    return static_cast<std::uint64_t>(at);
}

std::uint64_t CFile::GetPosition() const {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    off_t at = ::lseek(m_hFile, 0, SEEK_CUR);
    if (at < 0) {
        ThrowErrno();
    }
    return static_cast<std::uint64_t>(at);
}

std::uint64_t CFile::GetLength() const {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    struct stat st;
    if (::fstat(m_hFile, &st) != 0) {
        ThrowErrno();
    }
    return static_cast<std::uint64_t>(st.st_size);
}

void CFile::SetLength(std::uint64_t newLength) {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    int rc;
    do {
        rc = ::ftruncate(m_hFile, static_cast<off_t>(newLength));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ThrowErrno();
    }
}

void CFile::LockRange(std::uint64_t position, std::uint64_t count) {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    struct flock range {};
    range.l_type = IsWriter(m_openFlags) ? F_WRLCK : F_RDLCK;
    range.l_whence = SEEK_SET;
    range.l_start = static_cast<off_t>(position);
    range.l_len = static_cast<off_t>(count);
    if (::fcntl(m_hFile, F_OFD_SETLK, &range) != 0) {
        int e = errno;
        CFileException::Throw(e == EAGAIN || e == EACCES ? CFileException::lockViolation
                                                         : CFileException::OsErrorToException(e),
                              e, m_strFileName);
    }
}

void CFile::UnlockRange(std::uint64_t position, std::uint64_t count) {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    struct flock range {};
    range.l_type = F_UNLCK;
    range.l_whence = SEEK_SET;
    range.l_start = static_cast<off_t>(position);
    range.l_len = static_cast<off_t>(count);
    if (::fcntl(m_hFile, F_OFD_SETLK, &range) != 0) {
        ThrowErrno();
    }
}

void CFile::Flush() {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
}

void CFile::Commit() {
    Flush();
    int rc;
    do {
        rc = ::fdatasync(m_hFile);
    } while (rc != 0 && errno == EINTR);
    // Files that cannot be synced (pipes, character devices) have nothing to lose.
    if (rc != 0 && errno != EINVAL && errno != EROFS) {
        ThrowErrno();
    }
}

void CFile::Close() {
    if (int e = CloseHandle(); e != 0) {
        CFileException::ThrowOsError(e, m_strFileName);
    }
}

void CFile::Abort() {
    CloseHandle();
}

CFile* CFile::Duplicate() const {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    int fd = ::fcntl(m_hFile, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        ThrowErrno();
    }
    auto* copy = new CFile;
    copy->m_hFile = fd;
    copy->m_openFlags = m_openFlags;
    copy->m_strFileName = m_strFileName;
    return copy;
}

std::string CFile::GetFileName() const {
    std::string::size_type slash = m_strFileName.find_last_of('/');
    return slash == std::string::npos ? m_strFileName : m_strFileName.substr(slash + 1);
}

std::string CFile::GetFileTitle() const {
    std::string name = GetFileName();
    std::string::size_type dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void CFile::ThrowErrno() const {
    CFileException::ThrowOsError(errno, m_strFileName);
}

int CFile::CloseHandle() {
    if (m_hFile == hFileNull) {
        return 0;
    }
    int fd = m_hFile;
    m_hFile = hFileNull;
    // Linux releases the descriptor even when close reports an error: never retry it.
    return ::close(fd) != 0 && errno != EINTR ? errno : 0;
}
