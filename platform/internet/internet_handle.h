#pragma once

// What every handle of the Internet client calls has: its type, context, status callback and
// time-outs, and the table that turns a HINTERNET into the object behind it. The numbers
// handed out are never reused, so a closed or made-up handle is always recognised (error 6).
#include <atomic>
#include <memory>

#include "platform/internet/internet_timeouts.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

class InternetHandle {
public:
    InternetHandle(DWORD type, DWORD_PTR context, InternetTimeouts timeouts);
    virtual ~InternetHandle();
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    DWORD type() const { return type_; }
    DWORD_PTR context() const { return context_; }
    INTERNET_STATUS_CALLBACK exchangeStatusCallback(INTERNET_STATUS_CALLBACK callback) {
        return callback_.exchange(callback);
    }
    INTERNET_STATUS_CALLBACK statusCallback() const { return callback_.load(); }
    InternetTimeouts timeouts() const { return {connectMs_.load(), receiveMs_.load()}; }
    void setConnectTimeout(DWORD milliseconds) { connectMs_ = milliseconds; }
    void setReceiveTimeout(DWORD milliseconds) { receiveMs_ = milliseconds; }

    // Called once, by InternetCloseHandle, on the thread that uses the handle.
    virtual void close() {}

private:
    const DWORD type_;
    const DWORD_PTR context_;
    std::atomic<INTERNET_STATUS_CALLBACK> callback_{nullptr};
    std::atomic<DWORD> connectMs_;
    std::atomic<DWORD> receiveMs_;
};

HINTERNET addHandle(std::shared_ptr<InternetHandle> handle);
std::shared_ptr<InternetHandle> findHandle(HINTERNET handle);
// The same for the calls made once per block read: no lock and no count taken while the
// calling thread keeps using one handle. The object stays valid until the thread's next look-up.
InternetHandle* findHandleQuickly(HINTERNET handle);
// Takes the handle out of the table; the object lives on while a call still uses it.
std::shared_ptr<InternetHandle> removeHandle(HINTERNET handle);

// The handle's object when it is of class T; otherwise null with the last error set:
// ERROR_INVALID_HANDLE for an unknown handle, ERROR_INTERNET_INCORRECT_HANDLE_TYPE for one of
// another kind.
template <typename T>
T* findHandleQuicklyOf(HINTERNET handle) {
    InternetHandle* found = findHandleQuickly(handle);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // T tells its objects by their type number, which is cheaper than a dynamic cast.
    if (!T::holdsType(found->type())) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        return nullptr;
    }
    return static_cast<T*>(found);
}

template <typename T>
std::shared_ptr<T> findHandleOf(HINTERNET handle) {
    std::shared_ptr<InternetHandle> found = findHandle(handle);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::shared_ptr<T> typed = std::dynamic_pointer_cast<T>(found);
    if (!typed) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    }
    return typed;
}
