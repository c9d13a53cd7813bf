#include "inet/gopher_file.h"

#include "framework/exception.h"

CGopherFile::CGopherFile(HINTERNET file, const std::string& locator, DWORD context, bool readMode)
    : CInternetFile(file, "", "", context, readMode), m_locator(locator) {}

void CGopherFile::Write(const void*, UINT) {
    throw new CNotSupportedException;
}

void CGopherFile::WriteString(const std::string&) {
    throw new CNotSupportedException;
}
