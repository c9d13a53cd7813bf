#include "inet/session_registry.h"

#include <mutex>
#include <unordered_map>

namespace {

struct Registry {
    std::mutex lock;
    std::unordered_map<HINTERNET, CInternetSession*> sessions;
};

// Built before main runs, so that no thread can race its construction.
Registry registry;

}  // namespace

void SessionRegistry::Add(HINTERNET handle, CInternetSession* session) {
    std::lock_guard<std::mutex> hold(registry.lock);
    registry.sessions[handle] = session;
}

void SessionRegistry::Remove(HINTERNET handle) {
    std::lock_guard<std::mutex> hold(registry.lock);
    registry.sessions.erase(handle);
}

CInternetSession* SessionRegistry::Find(HINTERNET handle) {
    std::lock_guard<std::mutex> hold(registry.lock);
    const auto found = registry.sessions.find(handle);
    return found == registry.sessions.end() ? nullptr : found->second;
}
