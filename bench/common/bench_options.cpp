#include "bench/common/bench_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void Usage(const char* program, const std::string& sizeOption) {
    std::fprintf(stderr, "usage: %s [--runs N] [%s N] [--quick]\n", program, sizeOption.c_str());
    std::exit(2);
}

std::uint64_t Number(const char* text, const char* program, const std::string& sizeOption) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0' || value == 0) {
        Usage(program, sizeOption);
    }
    return value;
}

}  // namespace

BenchOptions ParseBenchOptions(int argc, char** argv, const std::string& sizeOption,
                               BenchSizes full, BenchSizes quick) {
    BenchOptions options;
    int runs = 0;
    std::uint64_t size = 0;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--quick") == 0) {
            options.quick = true;
        } else if (std::strcmp(argv[i], "--runs") == 0 && hasValue) {
            runs = static_cast<int>(Number(argv[++i], argv[0], sizeOption));
        } else if (sizeOption == argv[i] && hasValue) {
            size = Number(argv[++i], argv[0], sizeOption);
        } else {
            Usage(argv[0], sizeOption);
        }
    }
    const BenchSizes& defaults = options.quick ? quick : full;
    options.runs = runs != 0 ? runs : defaults.runs;
    options.size = size != 0 ? size : defaults.size;
    return options;
}
