#pragma once

// The folder of the running executable, where the list file, the report and the downloads live.
#include <string>

// Without a trailing separator; empty when the executable's path cannot be read.
std::string ProgramDirectoryOfExecutable();
