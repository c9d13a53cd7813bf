#pragma once

// The handle InternetOpenA gives: the settings that requests opened through it inherit.
#include "platform/internet/curl_options.h"
#include "platform/internet/internet_handle.h"

class SessionHandle final : public InternetHandle {
public:
    SessionHandle(SessionSettings settings, DWORD_PTR context)
        : InternetHandle(INTERNET_HANDLE_TYPE_INTERNET, context, defaultInternetTimeouts()),
          settings_(std::move(settings)) {}

    const SessionSettings& settings() const { return settings_; }

private:
    const SessionSettings settings_;
};
