#pragma once

// Figures over a benchmark's runs.
#include <vector>

struct RunSummary {
    double min = 0;
    double median = 0;
    double max = 0;
};

// The middle value; the mean of the two middle ones for an even count; 0 for none.
double Median(std::vector<double> values);
RunSummary Summarise(const std::vector<double>& values);
