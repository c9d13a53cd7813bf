#pragma once

// The few landmarks of URL text that canonicalising and splitting both look for.
#include <cstddef>
#include <string>
#include <string_view>

// Length of the scheme name that opens the text ("http" in "http://h/"), or 0 when the text
// does not open with a name followed by ":".
std::size_t UrlSchemeLength(std::string_view url);

// Where the query or fragment begins (the first "?" or "#"), or the text's length.
std::size_t UrlExtraInfoStart(std::string_view url);

// The end of an authority that begins at `from`: the first "/", "?" or "#" after it.
std::size_t UrlAuthorityEnd(std::string_view url, std::size_t from);

// True for the schemes whose URLs must name a server ("scheme://server/...").
bool UrlSchemeNeedsServer(std::string_view scheme);

// Replaces every "%xx" escape by the byte it stands for; a "%" without two hex digits stays.
std::string UrlDecode(std::string_view text);
