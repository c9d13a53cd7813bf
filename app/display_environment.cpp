#include "app/display_environment.h"

#include <cstdlib>

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

bool DisplayNamed() {
    return IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

std::string NoDisplayLine(const std::string& programName) {
    return programName +
           ": no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a "
           "desktop session, or run a test without one with: corvanite-cli URL";
}
