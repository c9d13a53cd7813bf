#include "frontend/program_directory.h"

#include "platform/module_path.h"

std::string ProgramDirectoryOfExecutable() {
    const std::string path = ModuleFileName();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
