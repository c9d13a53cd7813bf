#pragma once

// The folder of the running executable. Whether the list file, the report and the downloads
// live there is the working folder's choice (frontend/working_folder.h).
#include <string>

// Without a trailing separator; empty when the executable's path cannot be read.
std::string ProgramDirectoryOfExecutable();
