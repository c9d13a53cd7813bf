#pragma once

// The running executable's full path, as the kernel reports it.
#include <string>

// The whole path, however long; empty when it cannot be read.
std::string ModuleFileName();
