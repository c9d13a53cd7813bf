#pragma once

// A remote file opened through the platform's Internet client: read to its end through the
// same interface as a local file. Each Read is one platform read straight into the caller's
// buffer; a read buffer exists only once lines are read. Operations raise
// CInternetException with the file's context; those a remote file cannot do raise
// CNotSupportedException.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "framework/stdio_file.h"
#include "platform/internet/wininet.h"

class CInternetFile : public CStdioFile {
public:
    // Takes over the handle (closed by Close or destruction). fileName is the object, the
    // path part of the URL; connection is the server connection the file was opened through,
    // if any (it stays open).
    CInternetFile(HINTERNET file, const std::string& fileName, const std::string& serverName,
                  DWORD context, bool readMode, HINTERNET connection = nullptr);
    ~CInternetFile() override;

    const char* GetRuntimeClassName() const override { return "CInternetFile"; }

    // Fewer bytes than asked may come while data remains; 0 only at the end of the data.
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    std::uint64_t Seek(std::int64_t offset, UINT from) override;
    void SetLength(std::uint64_t newLength) override;
    void LockRange(std::uint64_t position, std::uint64_t count) override;
    void UnlockRange(std::uint64_t position, std::uint64_t count) override;
    CFile* Duplicate() const override;
    void Flush() override;
    // Closes the handle; does nothing when it is closed.
    void Close() override;
    // Closes without raising, and forgets the file name.
    void Abort() override;

    void WriteString(const std::string& text) override;
    // Lines end at a line feed; every carriage return is dropped.
    bool ReadString(std::string& line) override;
    char* ReadString(char* text, UINT maxChars) override;

    // Bytes that can be read now without waiting; 0 when closed or unknown.
    virtual DWORD AvailableLength() const;
    // The server's address as connected ("192.0.2.7:80", "[2001:db8::7]:21"); empty when
    // the file is closed or has not connected yet.
    std::string ConnectedAddress() const;
    // Where the time of the file's connection went, as the transfer library timed it; none
    // when the file is closed.
    std::optional<INTERNET_CONNECTION_TIMINGS> ConnectionTimings() const;
    // The URL the data comes from, after the redirects followed; empty when not known.
    std::string FinalUrl() const;
    // A descriptor of the socket the file's data arrives on, the caller's to close; -1 when
    // the file is closed or has not connected yet.
    int DuplicateDataSocket() const;

    HINTERNET GetInternetHandle() const { return m_hInternet; }
    HINTERNET GetConnectionHandle() const { return m_hConnection; }
    DWORD GetContext() const { return m_dwContext; }
    bool IsReadMode() const { return m_bReadMode; }
    const std::string& GetServerName() const { return m_strServerName; }

protected:
    [[noreturn]] void Raise(DWORD error) const;
    // Closes the handle, forgets it and its registration, frees the line buffer.
    void ReleaseHandle();
    // One platform read straight into memory; raises on failure.
    UINT ReadFromPlatform(void* buffer, UINT count);
    // Copies up to maxChars-1 bytes of one line into text; the count copied.
    UINT ReadLinePiece(char* text, UINT maxChars);

    HINTERNET m_hInternet;
    bool m_bReadMode;
    DWORD m_dwContext;
    HINTERNET m_hConnection;
    std::string m_strServerName;
    // Created by the first line read: lines are found in it; plain reads bypass it when empty.
    static constexpr UINT lineBufferSize = 4096;
    std::unique_ptr<char[]> m_lineBuffer;
    UINT m_lineBufferPos = 0;
    UINT m_lineBufferBytes = 0;
};
