#pragma once

// Names that the program derives from its executable's path.
#include <string>

// What follows the last "/", "\" or ":" of path.
std::string FileNameOf(const std::string& path);

// ApplicationNameFromPath (services/app_services.h) is defined here too: the file name without its
// extension. Only the file name is searched for the extension's ".", so a dot in a directory
// name ("~/.local/bin/Corvanite") is never taken for it; a leading "." starts no extension.

// The executable's path with the file name's extension replaced by ".HLP", or ".HLP"
// appended when the file name has none.
std::string HelpFilePathFromPath(const std::string& executablePath);
