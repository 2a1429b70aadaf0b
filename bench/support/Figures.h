#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

// The median of a set of figures; the mean of the middle two for an even count.
inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// "met" or "MISSED", as the summary lines print a target's outcome.
inline const char *Verdict(bool met)
{
    return met ? "met" : "MISSED";
}

// Figures joined with spaces, for the raw columns of a report.
inline std::string Joined(const std::vector<double> &values, const char *format = "%.4f")
{
    std::string text;
    char buffer[64];
    for (const double value : values) {
        std::snprintf(buffer, sizeof buffer, format, value);
        if (!text.empty())
            text += ' ';
        text += buffer;
    }
    return text;
}
