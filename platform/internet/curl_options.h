#pragma once

// The libcurl options that make a transfer behave as the platform's: proxies, redirects,
// protocol versions, buffer size and time-outs.
#include <string>

#include <curl/curl.h>

#include "platform/internet/internet_timeouts.h"

// What a session hands down to everything opened through it.
struct SessionSettings {
    std::string agent;
    DWORD accessType = 0;  // INTERNET_OPEN_TYPE_PRECONFIG
    std::string proxy;
    std::string proxyBypass;
};

// The most libcurl receives in one call (CURLOPT_BUFFERSIZE), and so the most it hands over in
// one go once asked to pause. About the curl tool's own 100 KiB: with the layer's copy of it,
// what a receive brings stays in the processor's cache until it is read. Measured on
// loopback, 512 KiB made fewer calls but slower copies, 64 KiB more calls.
inline constexpr long kReceiveBufferSize = 128 * 1024;

void applySessionSettings(CURL* easy, const SessionSettings& settings);
void applyTimeouts(CURL* easy, const InternetTimeouts& timeouts);

// The no-proxy list for libcurl: the given one plus the loopback names and addresses (all of
// 127.0.0.0/8 and ::1), which never go through a proxy.
std::string noProxyList(const std::string& bypass);

// The proxy a transfer of url goes through under these settings, as libcurl chooses it (the
// settings' proxy, or the environment's <scheme>_proxy, HTTPS_PROXY, ALL_PROXY, all less the
// no-proxy list): "host:port", or "" when the transfer goes direct.
std::string proxyInEffect(const SessionSettings& settings, const std::string& url);
