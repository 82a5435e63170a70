#pragma once

#include <cstddef>

namespace base {

// One overwrite method as the settings keep it ("EraserTimes" holds the pass count), as the tool
// is started for it and as it is named to the person. One table, so the window's list, the tool's
// flags and the names in the history cannot drift apart.
struct EraseMethod
{
    int passCount;
    const char *toolFlags; // the whole option group the program starts the tool with
    const char *name;
};

// In the order the settings window lists them.
inline constexpr EraseMethod kEraseMethods[] = {
    {1, "-fsvrz", "HMG Infosec Standard 5"},
    {3, "-fEvrz", "U.S. Army AR380-19"},
    {7, "-fmvrz", "DoD 5220.22-M ECE"},
    {35, "-fvrz", "Peter Gutmann's algorithm"},
};
inline constexpr std::size_t kEraseMethodCount = sizeof kEraseMethods / sizeof kEraseMethods[0];

// The method a kept pass count stands for; a count the settings should not hold means one pass,
// the method used too wherever overwriting more often gains nothing (solid-state storage).
constexpr const EraseMethod &eraseMethodForPassCount(int passCount)
{
    for (const EraseMethod &method : kEraseMethods) {
        if (method.passCount == passCount)
            return method;
    }
    return kEraseMethods[0];
}

} // namespace base
