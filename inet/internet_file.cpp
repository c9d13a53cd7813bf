#include "inet/internet_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "framework/exception.h"
#include "inet/internet_exception.h"
#include "inet/session_registry.h"
#include "platform/last_error.h"

CInternetFile::CInternetFile(HINTERNET file, const std::string& fileName,
                             const std::string& serverName, DWORD context, bool readMode,
                             HINTERNET connection)
    : m_hInternet(file),
      m_bReadMode(readMode),
      m_dwContext(context),
      m_hConnection(connection),
      m_strServerName(serverName) {
    SetFilePath(fileName);
}

CInternetFile::~CInternetFile() {
    try {
        CInternetFile::Close();
    } catch (CException* e) {
        e->Delete();
    }
}

std::string CInternetFile::ConnectedAddress() const {
    if (m_hInternet == nullptr) {
        return {};
    }
    char text[128];
    DWORD length = sizeof text;
    if (!InternetQueryOptionA(m_hInternet, INTERNET_OPTION_PEER_ADDRESS, text, &length)) {
        return {};
    }
    return std::string(text, length);
}

std::optional<INTERNET_CONNECTION_TIMINGS> CInternetFile::ConnectionTimings() const {
    INTERNET_CONNECTION_TIMINGS timings;
    DWORD length = sizeof timings;
    if (m_hInternet == nullptr ||
        !InternetQueryOptionA(m_hInternet, INTERNET_OPTION_CONNECTION_TIMINGS, &timings, &length)) {
        return std::nullopt;
    }
    return timings;
}

std::string CInternetFile::FinalUrl() const {
    DWORD length = 0;
    if (m_hInternet == nullptr ||
        InternetQueryOptionA(m_hInternet, INTERNET_OPTION_URL, nullptr, &length) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return {};
    }
    std::string url(length, '\0');
    if (!InternetQueryOptionA(m_hInternet, INTERNET_OPTION_URL, url.data(), &length)) {
        return {};
    }
    url.resize(length);
    return url;
}

int CInternetFile::DuplicateDataSocket() const {
    int socket = -1;
    DWORD length = sizeof socket;
    if (m_hInternet == nullptr ||
        !InternetQueryOptionA(m_hInternet, INTERNET_OPTION_DATA_SOCKET, &socket, &length)) {
        return -1;
    }
    return socket;
}

void CInternetFile::Raise(DWORD error) const {
    RaiseInternetError(m_dwContext, error);
}

UINT CInternetFile::ReadFromPlatform(void* buffer, UINT count) {
    DWORD read = 0;
    if (!InternetReadFile(m_hInternet, buffer, count, &read)) {
        Raise(0);
    }
    return read;
}

UINT CInternetFile::Read(void* buffer, UINT count) {
    if (!m_bReadMode || m_hInternet == nullptr) {
        Raise(ERROR_INVALID_HANDLE);
    }
    if (!m_lineBuffer) {
        return ReadFromPlatform(buffer, count);
    }
    auto* out = static_cast<char*>(buffer);
    const UINT left = m_lineBufferBytes - m_lineBufferPos;
    if (count >= lineBufferSize) {
        // Too big for the buffer: what it holds, then the rest straight into the caller's.
        std::memcpy(out, m_lineBuffer.get() + m_lineBufferPos, left);
        m_lineBufferPos = m_lineBufferBytes = 0;
        return count == left ? left : left + ReadFromPlatform(out + left, count - left);
    }
    if (left >= count) {
        std::memcpy(out, m_lineBuffer.get() + m_lineBufferPos, count);
        m_lineBufferPos += count;
        return count;
    }
    std::memcpy(out, m_lineBuffer.get() + m_lineBufferPos, left);
    m_lineBufferPos = m_lineBufferBytes = 0;
    m_lineBufferBytes = ReadFromPlatform(m_lineBuffer.get(), lineBufferSize);
    const UINT more = std::min(m_lineBufferBytes, count - left);
    std::memcpy(out + left, m_lineBuffer.get(), more);
    m_lineBufferPos = more;
    return left + more;
}

void CInternetFile::Write(const void* buffer, UINT count) {
    if (m_bReadMode || m_hInternet == nullptr) {
        Raise(ERROR_INVALID_HANDLE);
    }
    DWORD written = 0;
    if (!InternetWriteFile(m_hInternet, buffer, count, &written)) {
        Raise(0);
    }
    if (written != count) {
        Raise(0);
    }
}

void CInternetFile::WriteString(const std::string& text) {
    Write(text.data(), static_cast<UINT>(text.size()));
}

std::uint64_t CInternetFile::Seek(std::int64_t offset, UINT from) {
    if (!m_bReadMode || m_hInternet == nullptr || m_lineBuffer) {
        Raise(ERROR_INVALID_HANDLE);
    }
    if (from > end) {
        Raise(ERROR_INVALID_PARAMETER);
    }
    // The platform moves by a 32-bit distance here: a larger one would land elsewhere.
    if (offset < std::numeric_limits<std::int32_t>::min() ||
        offset > std::numeric_limits<std::int32_t>::max()) {
        Raise(ERROR_INVALID_PARAMETER);
    }
    const DWORD position = InternetSetFilePointer(m_hInternet, static_cast<std::int32_t>(offset),
                                                  nullptr, from, m_dwContext);
    if (position == static_cast<DWORD>(-1)) {
        Raise(0);
    }
    return position;
}

void CInternetFile::SetLength(std::uint64_t) {
    throw new CNotSupportedException;
}

void CInternetFile::LockRange(std::uint64_t, std::uint64_t) {
    throw new CNotSupportedException;
}

void CInternetFile::UnlockRange(std::uint64_t, std::uint64_t) {
    throw new CNotSupportedException;
}

CFile* CInternetFile::Duplicate() const {
    throw new CNotSupportedException;
}

void CInternetFile::Flush() {
    // Writes go out one platform call each: nothing waits here.
}

void CInternetFile::Close() {
    if (m_hInternet == nullptr) {
        return;
    }
    try {
        Flush();
    } catch (...) {
        ReleaseHandle();
        throw;
    }
    ReleaseHandle();
}

void CInternetFile::ReleaseHandle() {
    const HINTERNET handle = m_hInternet;
    m_hInternet = nullptr;
    InternetCloseHandle(handle);
    SessionRegistry::Remove(handle);
    m_lineBuffer.reset();
    m_lineBufferPos = m_lineBufferBytes = 0;
}

void CInternetFile::Abort() {
    try {
        Close();
    } catch (CException* e) {
        e->Delete();
    }
    SetFilePath("");
}

DWORD CInternetFile::AvailableLength() const {
    DWORD available = 0;
    if (m_hInternet == nullptr ||
        !InternetQueryDataAvailable(m_hInternet, &available, 0, m_dwContext)) {
        return 0;
    }
    return available;
}

UINT CInternetFile::ReadLinePiece(char* text, UINT maxChars) {
    if (!m_bReadMode || m_hInternet == nullptr) {
        Raise(ERROR_INVALID_HANDLE);
    }
    if (!m_lineBuffer) {
        m_lineBuffer = std::make_unique<char[]>(lineBufferSize);
        m_lineBufferPos = m_lineBufferBytes = 0;
    }
    UINT copied = 0;
    while (copied + 1 < maxChars) {
        if (m_lineBufferPos == m_lineBufferBytes) {
            m_lineBufferPos = 0;
            m_lineBufferBytes = ReadFromPlatform(m_lineBuffer.get(), lineBufferSize);
            if (m_lineBufferBytes == 0) {
                break;
            }
        }
        const char c = m_lineBuffer[m_lineBufferPos++];
        if (c == '\r') {
            continue;
        }
        text[copied++] = c;
        if (c == '\n') {
            break;
        }
    }
    text[copied] = '\0';
    return copied;
}

char* CInternetFile::ReadString(char* text, UINT maxChars) {
    if (text == nullptr || maxChars == 0) {
        return nullptr;
    }
    const UINT copied = ReadLinePiece(text, maxChars);
    return copied == 0 && maxChars > 1 ? nullptr : text;
}

bool CInternetFile::ReadString(std::string& line) {
    line.clear();
    // Gathered in pieces of up to 127 characters until one ends the line.
    constexpr UINT pieceSize = 128;
    char piece[pieceSize];
    bool readAny = false;
    for (;;) {
        const UINT copied = ReadLinePiece(piece, pieceSize);
        if (copied == 0) {
            break;
        }
        readAny = true;
        line.append(piece, copied);
        if (piece[copied - 1] == '\n' || copied < pieceSize - 1) {
            break;
        }
    }
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
    }
    return readAny;
}
