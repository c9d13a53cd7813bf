#include "ui/program_directory.h"

#include <filesystem>
#include <system_error>

std::string ProgramDirectoryOfExecutable() {
    std::error_code error;
    const std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error) {
        return {};
    }
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
