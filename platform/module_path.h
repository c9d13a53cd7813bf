#pragma once

// The running executable's full path, as the kernel reports it.
#include <string>

#include "platform/last_error.h"
#include "platform/win_types.h"

// The whole path, however long; empty when it cannot be read.
std::string ModuleFileName();

// The platform's fixed-buffer form, for code written against it. The module argument is
// ignored (there is only the executable). Copies at most size - 1 characters and a NUL;
// returns the characters copied, or size with ERROR_INSUFFICIENT_BUFFER when the path was
// cut, or 0 when it could not be read.
DWORD GetModuleFileNameA(const void* module, char* buffer, DWORD size);
