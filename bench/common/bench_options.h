#pragma once

// The command line every benchmark takes:
//
//   <bench> [--runs N] [--mib N | --rows N] [--quick]
//
// --runs: interleaved rounds; --mib (or --rows, for the history): the size of what is served;
// --quick: the small sizes and few rounds of a smoke run. Anything else prints the usage and
// ends the benchmark with status 2.
#include <cstdint>
#include <string>

struct BenchSizes {
    int runs;
    std::uint64_t size;
};

struct BenchOptions {
    int runs = 0;
    std::uint64_t size = 0;
    bool quick = false;
};

// sizeOption is "--mib" or "--rows"; full and quick are the defaults of a full and a quick run.
BenchOptions ParseBenchOptions(int argc, char** argv, const std::string& sizeOption,
                               BenchSizes full, BenchSizes quick);
