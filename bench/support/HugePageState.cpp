#include "support/HugePageState.h"

#include <fstream>

namespace {

const char *const kSettingsFolder = "/sys/kernel/mm/transparent_hugepage/";
// Names under kSettingsFolder; the first must exist for the state to be known,
// the others are shown where the kernel has them.
const char *const kSettings[] = {"enabled", "defrag", "khugepaged/defrag"};
// How many faults got a huge page and how many fell back to small ones (the
// last one: refused because of a memory cgroup's limit, on newer kernels).
const char *const kCounters[] = {"thp_fault_alloc", "thp_fault_fallback",
                                 "thp_fault_fallback_charge"};

} // namespace

HugePageState ReadHugePageState()
{
    HugePageState state;
    for (const char *name : kSettings) {
        std::ifstream file(std::string(kSettingsFolder) + name);
        std::string contents;
        if (!std::getline(file, contents))
            continue;
        state.settings.emplace_back(name, contents);
    }
    state.known = !state.settings.empty() && state.settings.front().first == kSettings[0];
    std::ifstream vmstat("/proc/vmstat");
    std::string name;
    long long value = 0;
    while (vmstat >> name >> value) {
        for (const char *counter : kCounters) {
            if (name == counter)
                state.counters.emplace_back(name, value);
        }
    }
    return state;
}

std::string HugePageLine(const char *when, const HugePageState &state, const HugePageState *earlier)
{
    std::string line = std::string("Huge pages ") + when + ": ";
    if (!state.known)
        return line + "this system shows no transparent huge page state (no " + kSettingsFolder +
               kSettings[0] + ")";
    for (const auto &[name, contents] : state.settings)
        line += name + ": " + contents + "; ";
    if (state.counters.empty())
        return line + "no thp_fault counts in /proc/vmstat";
    for (auto counter = state.counters.cbegin(); counter != state.counters.cend(); ++counter) {
        if (counter != state.counters.cbegin())
            line += ", ";
        line += counter->first + ' ' + std::to_string(counter->second);
        if (!earlier)
            continue;
        for (const auto &[name, value] : earlier->counters) {
            if (name == counter->first)
                line += " (+" + std::to_string(counter->second - value) + ')';
        }
    }
    return line;
}
