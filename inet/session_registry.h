#pragma once

// The process-wide map from each open platform handle (a session's or a file's) to the
// session that owns it. Status notifications find their session through it. Each call takes
// the one lock for its single map operation.
#include "platform/internet/wininet.h"

class CInternetSession;

class SessionRegistry {
public:
    static void Add(HINTERNET handle, CInternetSession* session);
    static void Remove(HINTERNET handle);
    // The owning session, or nullptr when the handle is not registered.
    static CInternetSession* Find(HINTERNET handle);
};
