#pragma once

// Numbers as metric formats write them: the shortest text that reads back as the same double,
// and integers without a fraction.
#include <cstdint>
#include <string>

std::string ShortestNumberText(double value);
std::string IntegerText(double value);
