#include "platform/window_messages.h"

#include <atomic>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/last_error.h"

namespace {

struct Window {
    MessageTarget* target;
    std::map<UINT, unsigned> pending;
};

// One lock for every window: deliveries are short (they only queue), and holding it across
// deliver() is what lets UnregisterWindow promise that no delivery is still running.
std::mutex registryLock;
std::unordered_map<HWND, Window> windows;
// Handles are never reused, so a stale handle can never reach a newer window.
HWND lastHandle = 0;
// Grown under the lock, after the change it tells of.
std::atomic<std::uint64_t> takenCount{0};

}  // namespace

HWND RegisterWindow(MessageTarget* target) {
    if (target == nullptr)
        return 0;
    std::lock_guard lock(registryLock);
    const HWND handle = ++lastHandle;
    windows.emplace(handle, Window{target, {}});
    return handle;
}

void UnregisterWindow(HWND window) {
    std::lock_guard lock(registryLock);
    windows.erase(window);
    takenCount.fetch_add(1, std::memory_order_release);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(registryLock);
    const auto found = windows.find(window);
    if (found == windows.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ++found->second.pending[message];
    found->second.target->deliver(message, wParam, lParam);
    return TRUE;
}

void MessageTaken(HWND window, UINT message) {
    std::lock_guard lock(registryLock);
    const auto found = windows.find(window);
    if (found == windows.end())
        return;
    const auto count = found->second.pending.find(message);
    if (count == found->second.pending.end())
        return;
    if (--count->second == 0)
        found->second.pending.erase(count);
    takenCount.fetch_add(1, std::memory_order_release);
}

unsigned PendingMessages(HWND window, UINT message) {
    std::lock_guard lock(registryLock);
    const auto found = windows.find(window);
    if (found == windows.end())
        return 0;
    const auto count = found->second.pending.find(message);
    return count == found->second.pending.end() ? 0 : count->second;
}

std::uint64_t MessagesTakenCount() {
    return takenCount.load(std::memory_order_acquire);
}
