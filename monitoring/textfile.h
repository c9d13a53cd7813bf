#pragma once

// node_exporter's textfile collector reads every *.prom file of its folder at each scrape: a
// file is written beside its final name under a name the collector skips, then renamed over
// it, so that a scrape reads the old metrics or the new, never half of them.
#include <optional>
#include <string>

// Writes text to directory/name. When it cannot: why, in words, with what to do.
std::optional<std::string> ReplaceTextfile(const std::string& directory, const std::string& name,
                                           const std::string& text);
