#pragma once

// The exception root of the file and Internet layers. Exceptions are thrown as heap objects
// (throw new CFileException(...)) and whoever catches one disposes of it with Delete().
#include <functional>
#include <string>

#include "framework/object.h"
#include "platform/win_types.h"

class CException : public CObject {
public:
    explicit CException(bool autoDelete = true) : m_bAutoDelete(autoDelete) {}
    ~CException() override = default;

    const char* GetRuntimeClassName() const override { return "CException"; }

    // Destroys the object when it was thrown from the heap (the auto-delete flag is set).
    void Delete();

    // Fills text (maxChars including the terminating NUL) with the reason; false when the
    // exception has no message. helpContext, when given, is set to 0.
    virtual bool GetErrorMessage(char* text, UINT maxChars, UINT* helpContext = nullptr) const;
    // The reason as a string, "" when there is none.
    std::string ErrorText() const;

    // Shows the message through the installed reporter; when there is no message, the text
    // noMessage stands in. Returns the reporter's answer.
    virtual int ReportError(UINT type = 0, const char* noMessage = nullptr) const;

    // The program routes ReportError to its message box; the default writes to stderr.
    using Reporter = std::function<int(const std::string& text, UINT type)>;
    static void SetReporter(Reporter reporter);

    bool m_bAutoDelete;
};

// Raised by operations that a file of some kind cannot perform (a remote file cannot be
// locked, duplicated or resized).
class CNotSupportedException : public CException {
public:
    CNotSupportedException() = default;
    const char* GetRuntimeClassName() const override { return "CNotSupportedException"; }
    bool GetErrorMessage(char* text, UINT maxChars, UINT* helpContext = nullptr) const override;
};
