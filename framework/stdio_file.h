#pragma once

// A buffered local file that can read and write lines. It is in text mode unless opened
// with typeBinary: each "\n" written is stored as CR LF, and a CR right before an LF reads
// back as nothing. Line reading accepts LF and CR LF ends in either mode.
#include <cstddef>
#include <string>
#include <vector>

#include "framework/file.h"

class CStdioFile : public CFile {
public:
    CStdioFile() = default;
    // Opens at once; raises CFileException when the file cannot be opened.
    CStdioFile(const std::string& path, UINT flags);
    ~CStdioFile() override;

    const char* GetRuntimeClassName() const override { return "CStdioFile"; }

    bool Open(const std::string& path, UINT flags, CFileException* error = nullptr) override;

    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    std::uint64_t Seek(std::int64_t offset, UINT from) override;
    std::uint64_t GetPosition() const override;
    std::uint64_t GetLength() const override;
    void SetLength(std::uint64_t newLength) override;
    // Hands the buffered bytes to the system; raises when they cannot be written, and
    // they are dropped then.
    void Flush() override;
    void Close() override;
    void Abort() override;
    CFile* Duplicate() const override;

    // Writes text as it is (in text mode with each "\n" as CR LF).
    virtual void WriteString(const std::string& text);
    // Reads one line of any length into line, without its line end (LF, or CR LF). False
    // when the data has ended before the line began; a last line without a line end counts.
    virtual bool ReadString(std::string& line);
    // Reads up to maxChars-1 characters, stopping after a line feed, which is kept; the text
    // is NUL-terminated. Returns text, or nullptr when nothing was left to read.
    virtual char* ReadString(char* text, UINT maxChars);

    bool IsTextMode() const { return m_textMode; }

protected:
    static constexpr std::size_t bufferSize = 4096;

    // Moves the descriptor back over bytes read ahead and not handed out.
    void DropReadAhead();
    // Reads more raw bytes into the read buffer; false at the end of the data.
    bool FillReadBuffer();
    // The next byte as the caller sees it (CR LF as LF in text mode); -1 at the end.
    int NextChar();

    bool m_textMode = true;
    std::vector<char> m_writeBuffer;  // bytes as they go to disk (line ends translated)
    std::vector<char> m_readBuffer;   // raw bytes from the disk
    std::size_t m_readPos = 0;
};
