#pragma once

// How a test's 100 ms samples are stored in the history's rate_samples column: little-endian
// 32-bit numbers, one after the other.
#include <cstdint>
#include <string>
#include <vector>

std::string EncodeRateSamples(const std::vector<std::uint32_t>& samples);
// A trailing part of a number is dropped.
std::vector<std::uint32_t> DecodeRateSamples(const std::string& bytes);
