#pragma once

// A remote file over gopher, known by its locator; it can only be read.
#include <string>

#include "inet/internet_file.h"

class CGopherFile : public CInternetFile {
public:
    CGopherFile(HINTERNET file, const std::string& locator, DWORD context, bool readMode = true);

    const char* GetRuntimeClassName() const override { return "CGopherFile"; }

    void Write(const void* buffer, UINT count) override;
    void WriteString(const std::string& text) override;

    // The locator's bytes (they may hold NULs).
    const std::string& GetLocator() const { return m_locator; }

protected:
    std::string m_locator;
};
