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
};

// Counts removals: a thread's remembered look-up holds while it is unchanged.
constinit std::atomic<std::uint64_t> removals{0};

// The last handle this thread looked up quickly, as plain values so that checking it costs a
// few instructions. The held pointer keeps the object valid even if another thread closes
// the handle meanwhile; it is only touched when the look-up changes.
thread_local std::uintptr_t rememberedId = 0;
thread_local std::uint64_t rememberedRemovals = 0;
thread_local InternetHandle* rememberedObject = nullptr;
thread_local std::shared_ptr<InternetHandle> rememberedHold;

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
    removals.fetch_add(1, std::memory_order_release);
    return removed;
}

InternetHandle* findHandleQuickly(HINTERNET handle) {
    const auto id = reinterpret_cast<std::uintptr_t>(handle);
    const std::uint64_t removed = removals.load(std::memory_order_acquire);
    if (id != 0 && rememberedId == id && rememberedRemovals == removed) {
        return rememberedObject;
    }
    // The count read before the look-up: a removal in between only costs a later miss.
    rememberedHold = findHandle(handle);
    rememberedObject = rememberedHold.get();
    rememberedId = rememberedObject ? id : 0;
    rememberedRemovals = removed;
    return rememberedObject;
}
