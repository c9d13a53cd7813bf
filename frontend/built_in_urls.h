#pragma once

// The test URLs that the URL box offers when no list file is present.
#include <string>
#include <vector>

const std::vector<std::string>& BuiltInUrls();
