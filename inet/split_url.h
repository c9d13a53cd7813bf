#pragma once

// Splits the text of a URL into its kind of service, server, object (path) and port, through
// the platform's canonicalisation and splitting of URLs.
#include <string>

#include "inet/service_type.h"
#include "platform/internet/wininet.h"

// True when the URL was split. serviceType is ServiceUnknown after any failure; an absent url
// leaves server, object and port as they were, and after another failure they hold nothing
// useful (the port stays as it was). A scheme outside the known services still splits: true
// with ServiceUnknown.
bool SplitUrl(const char* url, DWORD& serviceType, std::string& server, std::string& object,
              INTERNET_PORT& port);

// The user name and password of the URL's "user:password@" part, percent-decoded as a
// server is to receive them; both empty when the URL names none (or cannot be split).
void SplitUrlCredentials(const char* url, std::string& user, std::string& password);
