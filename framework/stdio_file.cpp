#include "framework/stdio_file.h"

#include <cstring>

#include "framework/exception.h"
#include "framework/file_exception.h"

CStdioFile::CStdioFile(const std::string& path, UINT flags) {
    CFileException error;
    if (!Open(path, flags, &error)) {
        CFileException::Throw(error.m_cause, error.m_lOsError, error.m_strFileName);
    }
}

CStdioFile::~CStdioFile() {
    if (IsOpen()) {
        try {
            Close();
        } catch (CException* e) {
            e->Delete();
        }
    }
}

bool CStdioFile::Open(const std::string& path, UINT flags, CFileException* error) {
    if (!CFile::Open(path, flags, error)) {
        return false;
    }
    m_textMode = !(flags & typeBinary);
    m_writeBuffer.clear();
    m_readBuffer.clear();
    m_readPos = 0;
    return true;
}

void CStdioFile::DropReadAhead() {
    std::size_t ahead = m_readBuffer.size() - m_readPos;
    m_readBuffer.clear();
    m_readPos = 0;
    if (ahead != 0) {
        CFile::Seek(-static_cast<std::int64_t>(ahead), current);
    }
}

bool CStdioFile::FillReadBuffer() {
    // Keep what is unread (a CR waiting for its LF) in front of the new bytes.
    m_readBuffer.erase(m_readBuffer.begin(), m_readBuffer.begin() + m_readPos);
    m_readPos = 0;
    std::size_t kept = m_readBuffer.size();
    m_readBuffer.resize(kept + bufferSize);
    UINT n;
    try {
        n = CFile::Read(m_readBuffer.data() + kept, bufferSize);
    } catch (...) {
        m_readBuffer.resize(kept);
        throw;
    }
    m_readBuffer.resize(kept + n);
    return n != 0;
}

int CStdioFile::NextChar() {
    if (m_readPos == m_readBuffer.size() && !FillReadBuffer()) {
        return -1;
    }
    char c = m_readBuffer[m_readPos];
    if (m_textMode && c == '\r') {
        if (m_readPos + 1 == m_readBuffer.size()) {
            FillReadBuffer();
        }
        if (m_readPos + 1 < m_readBuffer.size() && m_readBuffer[m_readPos + 1] == '\n') {
            ++m_readPos;
            c = '\n';
        }
    }
    ++m_readPos;
    return static_cast<unsigned char>(c);
}

UINT CStdioFile::Read(void* buffer, UINT count) {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    Flush();
    char* to = static_cast<char*>(buffer);
    UINT done = 0;
    if (!m_textMode) {
        // An empty buffer may have no storage at all: nothing to copy then.
        std::size_t have = std::min<std::size_t>(m_readBuffer.size() - m_readPos, count);
        if (have != 0) {
            std::memcpy(to, m_readBuffer.data() + m_readPos, have);
            m_readPos += have;
            done = static_cast<UINT>(have);
        }
        if (done < count && count - done >= bufferSize) {
            return done + CFile::Read(to + done, count - done);
        }
    }
    while (done < count) {
        if (!m_textMode) {
            if (m_readPos == m_readBuffer.size() && !FillReadBuffer()) {
                break;
            }
            std::size_t have = std::min<std::size_t>(m_readBuffer.size() - m_readPos, count - done);
            std::memcpy(to + done, m_readBuffer.data() + m_readPos, have);
            m_readPos += have;
            done += static_cast<UINT>(have);
            continue;
        }
        int c = NextChar();
        if (c < 0) {
            break;
        }
        to[done++] = static_cast<char>(c);
    }
    return done;
}

void CStdioFile::Write(const void* buffer, UINT count) {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    if (!m_readBuffer.empty()) {
        DropReadAhead();
    }
    const char* from = static_cast<const char*>(buffer);
    if (!m_textMode) {
        if (m_writeBuffer.size() + count > bufferSize) {
            Flush();
        }
        if (count >= bufferSize) {
            CFile::Write(from, count);
        } else {
            m_writeBuffer.insert(m_writeBuffer.end(), from, from + count);
        }
        return;
    }
    // The whole text goes out in one system write when it fills the buffer, so that a
    // block written at once is never split among writes of its own.
    for (UINT i = 0; i < count; ++i) {
        if (from[i] == '\n') {
            m_writeBuffer.push_back('\r');
        }
        m_writeBuffer.push_back(from[i]);
    }
    if (m_writeBuffer.size() >= bufferSize) {
        Flush();
    }
}

void CStdioFile::Flush() {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    if (m_writeBuffer.empty()) {
        return;
    }
    std::vector<char> pending;
    pending.swap(m_writeBuffer);
    CFile::Write(pending.data(), static_cast<UINT>(pending.size()));
}

std::uint64_t CStdioFile::Seek(std::int64_t offset, UINT from) {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    Flush();
    DropReadAhead();
    return CFile::Seek(offset, from);
}

std::uint64_t CStdioFile::GetPosition() const {
    std::uint64_t at = CFile::GetPosition();
    return at - (m_readBuffer.size() - m_readPos) + m_writeBuffer.size();
}

std::uint64_t CStdioFile::GetLength() const {
    // Bytes still in the write buffer are part of the file as the caller sees it.
    std::uint64_t length = CFile::GetLength();
    std::uint64_t end = GetPosition();
    return end > length ? end : length;
}

void CStdioFile::SetLength(std::uint64_t newLength) {
    Flush();
    DropReadAhead();
    CFile::SetLength(newLength);
}

void CStdioFile::Close() {
    if (!IsOpen()) {
        return;
    }
    try {
        Flush();
    } catch (...) {
        Abort();
        throw;
    }
    m_readBuffer.clear();
    m_readPos = 0;
    CFile::Close();
}

void CStdioFile::Abort() {
    m_writeBuffer.clear();
    m_readBuffer.clear();
    m_readPos = 0;
    CFile::Abort();
}

CFile* CStdioFile::Duplicate() const {
    // The copy shares the descriptor's position, which a buffer of its own would falsify.
    const_cast<CStdioFile*>(this)->Flush();
    const_cast<CStdioFile*>(this)->DropReadAhead();
    return CFile::Duplicate();
}

void CStdioFile::WriteString(const std::string& text) {
    Write(text.data(), static_cast<UINT>(text.size()));
}

bool CStdioFile::ReadString(std::string& line) {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    Flush();
    line.clear();
    bool any = false;
    for (;;) {
        if (m_readPos == m_readBuffer.size() && !FillReadBuffer()) {
            break;
        }
        any = true;
        const char* start = m_readBuffer.data() + m_readPos;
        std::size_t have = m_readBuffer.size() - m_readPos;
        const void* lf = std::memchr(start, '\n', have);
        if (lf != nullptr) {
            std::size_t n = static_cast<const char*>(lf) - start;
            line.append(start, n);
            m_readPos += n + 1;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return true;
        }
        line.append(start, have);
        m_readPos += have;
    }
    return any;
}

char* CStdioFile::ReadString(char* text, UINT maxChars) {
    if (!IsOpen()) {
        CFileException::Throw(CFileException::invalidFile, EBADF, m_strFileName);
    }
    if (text == nullptr || maxChars == 0) {
        return nullptr;
    }
    Flush();
    UINT n = 0;
    while (n + 1 < maxChars) {
        int c = NextChar();
        if (c < 0) {
            break;
        }
        text[n++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    text[n] = '\0';
    return n == 0 && maxChars > 1 ? nullptr : text;
}
