#include "platform/internet/internet_handle.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace {

struct HandleTable {
    std::mutex lock;
    std::unordered_map<std::uintptr_t, std::shared_ptr<InternetHandle>> handles;
    // Far from small integers and from real addresses, so a stray value is not taken for one.
    std::uintptr_t next = 0xC0A0001;
    // Counts removals: a thread's remembered look-up holds while it is unchanged.
    std::atomic<std::uint64_t> removals{0};
};

// The last handle this thread looked up quickly. Holding the object keeps the pointer handed
// out valid even if another thread closes the handle meanwhile.
struct RememberedHandle {
    std::uintptr_t id = 0;
    std::uint64_t removals = 0;
    std::shared_ptr<InternetHandle> handle;
};
thread_local RememberedHandle remembered;

HandleTable& table() {
    static HandleTable* instance = new HandleTable;  // outlives every static destructor
    return *instance;
}

}  // namespace

InternetHandle::InternetHandle(DWORD type, DWORD_PTR context, InternetTimeouts timeouts)
    : type_(type),
      context_(context),
      connectMs_(timeouts.connectMs),
      receiveMs_(timeouts.receiveMs) {}

InternetHandle::~InternetHandle() = default;

HINTERNET addHandle(std::shared_ptr<InternetHandle> handle) {
    HandleTable& t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    const std::uintptr_t id = t.next;
    t.next += 4;
    t.handles.emplace(id, std::move(handle));
    return reinterpret_cast<HINTERNET>(id);
}

std::shared_ptr<InternetHandle> findHandle(HINTERNET handle) {
    HandleTable& t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    const auto found = t.handles.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == t.handles.end() ? nullptr : found->second;
}

std::shared_ptr<InternetHandle> removeHandle(HINTERNET handle) {
    HandleTable& t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    const auto found = t.handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == t.handles.end()) {
        return nullptr;
    }
    std::shared_ptr<InternetHandle> removed = std::move(found->second);
    t.handles.erase(found);
    t.removals.fetch_add(1, std::memory_order_release);
    return removed;
}

InternetHandle* findHandleQuickly(HINTERNET handle) {
    const auto id = reinterpret_cast<std::uintptr_t>(handle);
    const std::uint64_t removals = table().removals.load(std::memory_order_acquire);
    if (id != 0 && remembered.id == id && remembered.removals == removals) {
        return remembered.handle.get();
    }
    // The count read before the look-up: a removal in between only costs a later miss.
    remembered.handle = findHandle(handle);
    remembered.id = remembered.handle ? id : 0;
    remembered.removals = removals;
    return remembered.handle.get();
}
