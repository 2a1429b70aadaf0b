#pragma once

#include <string>
#include <utility>
#include <vector>

// The machine's transparent huge page settings and the kernel's counts of
// huge pages given to and refused at a page fault. Our Ghostscript children ask
// for huge pages for their heap, and the conversion figures move with whether
// the machine grants them: printed beside the figures, before and after, they
// tell a slower machine from slower code. The counts are machine-wide, so
// other work on the machine adds to them too.
struct HugePageState {
    bool known = false; // false where the system shows no such state (macOS)
    std::vector<std::pair<std::string, std::string>> settings; // file, its contents
    std::vector<std::pair<std::string, long long>> counters;   // /proc/vmstat name, value
};

HugePageState ReadHugePageState();

// One line beginning "Huge pages <when>:"; with an earlier state, each count
// also shows how much it grew since then. Where the state is not known, a line
// that says so.
std::string HugePageLine(const char *when, const HugePageState &state,
                         const HugePageState *earlier = nullptr);
