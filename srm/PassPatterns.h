#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace srm {

// The overwrite methods offered by the application's settings.
enum class Method {
    Gutmann,   // 35 passes (no method flag)
    Single,    // -s: 1 pass
    ThreePass, // -E: 3 passes
    SevenPass, // -m: 7 passes
};

// One overwrite pass: random data, or a 1- or 3-byte pattern repeated over the whole file.
struct Pass
{
    bool random = false;
    unsigned char pattern[3] = {0, 0, 0};
    std::size_t patternLength = 1;

    std::string describe() const;
};

// The passes of a method, followed by a final pass of zeros when asked.
std::vector<Pass> passesFor(Method method, bool finalZeroPass);

const char *methodName(Method method);

} // namespace srm
