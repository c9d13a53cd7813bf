#pragma once

// The failure of an operation on a local file: a cause from a small fixed set, the system's
// error number (errno) and the file's path.
#include <string>

#include "framework/exception.h"

class CFileException : public CException {
public:
    enum Cause {
        none = 0,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    explicit CFileException(int cause = none, long osError = -1, std::string fileName = {})
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}

    const char* GetRuntimeClassName() const override { return "CFileException"; }
    bool GetErrorMessage(char* text, UINT maxChars, UINT* helpContext = nullptr) const override;

    // The cause that a system error number stands for.
    static int OsErrorToException(long osError);
    [[noreturn]] static void ThrowOsError(long osError, const std::string& fileName = {});
    [[noreturn]] static void Throw(int cause, long osError = -1, const std::string& fileName = {});

    int m_cause;
    long m_lOsError;  // errno, or -1 when the failure has no system error
    std::string m_strFileName;
};
