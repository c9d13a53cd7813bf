#include "frontend/url_list_file.h"

#include "framework/file_exception.h"
#include "framework/stdio_file.h"

std::optional<std::vector<std::string>> ReadUrlListFile(const std::string& path) {
    CStdioFile file;
    // Others may go on reading the list, but no one may change it while it is read.
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeText)) {
        return std::nullopt;
    }
    std::vector<std::string> entries;
    try {
        for (std::string line; file.ReadString(line);) {
            if (!line.empty()) {
                entries.push_back(std::move(line));
            }
        }
        file.Close();
    } catch (CFileException* error) {
        // A list that cannot be read to its end offers what was read before.
        error->Delete();
        file.Abort();
    }
    return entries;
}
