#pragma once

#include <string>
#include <vector>

// One timed run of an outside program, as the benchmarks compare them.
struct ChildRun {
    bool started = false;
    int exitCode = -1;     // -1 when it did not end normally
    double seconds = 0;    // wall-clock, from just before the start to its end
    double cpuSeconds = 0; // user and system time of the child and its children
    double peakRssMiB = 0; // the child's own peak resident set
};

// Runs argv[0] (looked up on the search path) with its arguments and no shell,
// its standard output going to stdoutPath and its standard error to stderrPath.
// The run is timed from before the start to the reaped end, so what the caller
// itself does in between is not counted.
ChildRun RunChild(const std::vector<std::string> &argv, const std::string &stdoutPath = "/dev/null",
                  const std::string &stderrPath = "/dev/null");

// User and system time of this process and of its children that have ended so
// far; the difference over a span is the processor time spent in it, which a
// busy machine disturbs less than the wall-clock time.
double ProcessorSeconds();
