#pragma once

// The single-instance guard: an exclusive lock on "<name>.lock" in the user's runtime
// directory. The kernel gives it up when the process ends, however it ends.
#include <string>

#include "platform/last_error.h"
#include "platform/win_types.h"

// Takes the guard named name for the rest of the process's life (it is never given back).
// Returns TRUE when this process now holds it. Returns FALSE with the last error
// ERROR_ALREADY_EXISTS when another process holds it, or with another error when no guard
// could be made (no usable directory, the file cannot be opened).
BOOL CreateInstanceLock(const std::string& name);

// The same in a given directory, which must be owned by this user and writable by no one
// else; a directory that is not gives FALSE with ERROR_ACCESS_DENIED.
BOOL CreateInstanceLockIn(const std::string& directory, const std::string& name);

// Where CreateInstanceLock keeps its lock files: $XDG_RUNTIME_DIR when it is set to a safe
// directory, else a folder of this user's own in the temporary directory, created with access
// for this user only. Empty when neither is usable.
std::string InstanceLockDirectory();
