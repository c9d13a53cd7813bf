#pragma once

// A URL as it may be shown or stored where others can read it: the password of its
// "user:password@" part is replaced by "****"; the user name and everything else stay.
#include <string>
#include <string_view>

inline constexpr std::string_view MaskedPassword = "****";

// The URL with a non-empty password masked; any other text comes back unchanged.
std::string MaskUrlPassword(std::string_view url);
