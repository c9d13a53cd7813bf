#include "platform/module_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

std::string ReadLink(const char* link) {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = readlink(link, buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::string ModuleFileName() {
    std::string path = ReadLink("/proc/self/exe");
    // An executable replaced on disk while it runs (a rebuild) is reported with this mark;
    // the name it was started under is the one the program goes by.
    static constexpr char deleted[] = " (deleted)";
    constexpr size_t markLength = sizeof(deleted) - 1;
    struct stat status;
    if (path.size() > markLength &&
        path.compare(path.size() - markLength, markLength, deleted) == 0 &&
        stat(path.c_str(), &status) != 0)
        path.resize(path.size() - markLength);
    return path;
}
