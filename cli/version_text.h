#pragma once

// The name under which corvanite-cli introduces itself; the rest of its version record is the
// program's (services/version.h).
inline constexpr const char* CorvaniteCliName = "corvanite-cli";
