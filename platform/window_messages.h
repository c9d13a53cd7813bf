#pragma once

// Posted window messages. A window registers a target and gets a handle; posting to the
// handle queues the message to that target without waiting for it to be handled. Posting
// to a handle that is gone fails quietly.
#include <cstdint>

#include "platform/win_types.h"

constexpr UINT WM_USER = 0x0400;

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    // Called on the posting thread, with the registry's lock held: queue, never handle here.
    virtual void deliver(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

HWND RegisterWindow(MessageTarget* target);
// After this returns no deliver() call on the target is running or will start.
void UnregisterWindow(HWND window);

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Messages posted to a window and not yet taken by it. A target's owner calls MessageTaken
// when it handles one, so that a poster can keep at most one of a kind waiting.
void MessageTaken(HWND window, UINT message);
unsigned PendingMessages(HWND window, UINT message);
// A count that grows whenever a message is taken or a window goes away, read without the
// registry's lock: a poster that found a message waiting knows it still waits while the
// count stays the same, and need not ask PendingMessages again until then.
std::uint64_t MessagesTakenCount();
