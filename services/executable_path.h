#pragma once

// Names that the program derives from its executable's path.
#include <string>

// What follows the last "/", "\" or ":" of path.
std::string FileNameOf(const std::string& path);

// ApplicationNameFromPath (services/app_services.h) is defined here too: the file name without its
// extension. Only the file name is searched for the extension's ".", so a dot in a directory
// name ("~/.local/bin/Corvanite") is never taken for it; a leading "." starts no extension.

// The help page beside the executable: its path with the file name's extension replaced by
// ".html", or ".html" appended when the file name has none. A build and a copy of the program
// in a folder of its own keep the page there.
std::string HelpFilePathFromPath(const std::string& executablePath);

// The help page of an installed program: share/corvanite/corvanite.html beside the
// executable's bin folder (/usr/bin/corvanite: /usr/share/corvanite/corvanite.html).
std::string InstalledHelpFilePathFromPath(const std::string& executablePath);
