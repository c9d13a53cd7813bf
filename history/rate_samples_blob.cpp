#include "history/rate_samples_blob.h"

std::string EncodeRateSamples(const std::vector<std::uint32_t>& samples) {
    std::string bytes;
    bytes.reserve(samples.size() * 4);
    for (const std::uint32_t sample : samples) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes += static_cast<char>((sample >> shift) & 0xFF);
        }
    }
    return bytes;
}

std::vector<std::uint32_t> DecodeRateSamples(const std::string& bytes) {
    std::vector<std::uint32_t> samples(bytes.size() / 4);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        std::uint32_t sample = 0;
        for (int b = 3; b >= 0; --b) {
            sample = (sample << 8) | static_cast<unsigned char>(bytes[i * 4 + b]);
        }
        samples[i] = sample;
    }
    return samples;
}
