#pragma once

// A local file over a POSIX file descriptor. Opening reports failure as a false result;
// every later failure raises a CFileException. The operations are virtual so that the
// buffered and the remote files can take them over.
//
// Sharing: "others may read but not write" is an advisory flock that every writer of the
// system takes. With shareDenyWrite or shareExclusive a writer holds LOCK_EX and a reader
// LOCK_SH, both taken without waiting: the open fails while a conflicting holder exists.
// shareDenyNone (and shareCompat) take no lock. Programs outside the system that do not
// lock are not kept out.
//
// Paths are used as given and symbolic links are followed unless modeNoFollow says otherwise:
// a caller that builds a path from a name chosen by a server must check that name first.
#include <cstdint>
#include <string>

#include "framework/object.h"
#include "platform/win_types.h"

class CFileException;

class CFile : public CObject {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,  // always in effect: descriptors are opened close-on-exec
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        // The path must name a plain file itself: a symbolic link there is not followed, and
        // anything else (a folder, a FIFO, a device) is refused at once, without waiting.
        modeNoFollow = 0x100000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };
    static constexpr int hFileNull = -1;

    CFile() = default;
    // Opens at once; raises CFileException when the file cannot be opened.
    CFile(const std::string& path, UINT flags);
    ~CFile() override;

    const char* GetRuntimeClassName() const override { return "CFile"; }

    // Opens path; false on failure, with the reason in *error when one is given. Creating
    // without modeNoTruncate empties the file, but only once the lock is held, so a file
    // that another writer holds is never cut.
    virtual bool Open(const std::string& path, UINT flags, CFileException* error = nullptr);

    // Reads up to count bytes; fewer only at the end of the data, 0 there.
    virtual UINT Read(void* buffer, UINT count);
    // Writes all count bytes or raises (a full disk raises with diskFull).
    virtual void Write(const void* buffer, UINT count);
    virtual std::uint64_t Seek(std::int64_t offset, UINT from);
    std::uint64_t SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    virtual std::uint64_t GetPosition() const;
    virtual std::uint64_t GetLength() const;
    virtual void SetLength(std::uint64_t newLength);
    virtual void LockRange(std::uint64_t position, std::uint64_t count);
    virtual void UnlockRange(std::uint64_t position, std::uint64_t count);
    // Pushes written data to the system (a plain file has nothing buffered of its own).
    virtual void Flush();
    // Pushes written data to the disk itself, so that it survives a power cut.
    virtual void Commit();
    // Closes the file; does nothing when it is closed. Raises when the system reports a
    // failure, and the file is closed all the same.
    virtual void Close();
    // Closes without raising, dropping whatever could not be written.
    virtual void Abort();
    // A second file object on the same open file (sharing its position and lock).
    virtual CFile* Duplicate() const;

    virtual std::string GetFileName() const;   // the last path segment
    virtual std::string GetFileTitle() const;  // the file name without its extension
    virtual std::string GetFilePath() const { return m_strFileName; }
    virtual void SetFilePath(const std::string& path) { m_strFileName = path; }

    bool IsOpen() const { return m_hFile != hFileNull; }
    int GetHandle() const { return m_hFile; }
    UINT GetOpenFlags() const { return m_openFlags; }

protected:
    // Raises the CFileException for the current errno.
    [[noreturn]] void ThrowErrno() const;
    // Closes the descriptor; returns the errno of a failed close, else 0.
    int CloseHandle();

    int m_hFile = hFileNull;
    UINT m_openFlags = 0;
    std::string m_strFileName;
};
