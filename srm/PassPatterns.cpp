#include "PassPatterns.h"

#include "base/EraseMethods.h"

#include <cstdio>

namespace srm {

namespace {

Pass randomPass()
{
    Pass pass;
    pass.random = true;
    return pass;
}

Pass bytePass(unsigned char value)
{
    Pass pass;
    pass.pattern[0] = pass.pattern[1] = pass.pattern[2] = value;
    pass.patternLength = 1;
    return pass;
}

Pass triplePass(unsigned char a, unsigned char b, unsigned char c)
{
    Pass pass;
    pass.pattern[0] = a;
    pass.pattern[1] = b;
    pass.pattern[2] = c;
    pass.patternLength = 3;
    return pass;
}

// The 27 fixed patterns of the 35-pass method, aimed at the encodings of old MFM/RLL drives.
std::vector<Pass> gutmannFixedPasses()
{
    std::vector<Pass> passes{bytePass(0x55), bytePass(0xAA), triplePass(0x92, 0x49, 0x24),
                             triplePass(0x49, 0x24, 0x92), triplePass(0x24, 0x92, 0x49)};
    for (int value = 0x00; value <= 0xFF; value += 0x11)
        passes.push_back(bytePass(static_cast<unsigned char>(value)));
    passes.push_back(triplePass(0x92, 0x49, 0x24));
    passes.push_back(triplePass(0x49, 0x24, 0x92));
    passes.push_back(triplePass(0x24, 0x92, 0x49));
    passes.push_back(triplePass(0x6D, 0xB6, 0xDB));
    passes.push_back(triplePass(0xB6, 0xDB, 0x6D));
    passes.push_back(triplePass(0xDB, 0x6D, 0xB6));
    return passes;
}

} // namespace

std::string Pass::describe() const
{
    if (random)
        return "random";
    char text[32];
    if (patternLength == 3)
        std::snprintf(text, sizeof text, "0x%02X 0x%02X 0x%02X", pattern[0], pattern[1], pattern[2]);
    else
        std::snprintf(text, sizeof text, "0x%02X", pattern[0]);
    return text;
}

std::vector<Pass> passesFor(Method method, bool finalZeroPass)
{
    std::vector<Pass> passes;
    switch (method) {
    case Method::Single:
        passes = {randomPass()};
        break;
    case Method::ThreePass:
        passes = {randomPass(), bytePass(0x00), bytePass(0xFF)};
        break;
    case Method::SevenPass:
        // Character, complement, random; a fixed pattern; character, complement, random again.
        passes = {bytePass(0x00), bytePass(0xFF), randomPass(), bytePass(0x96),
                  bytePass(0x00), bytePass(0xFF), randomPass()};
        break;
    case Method::Gutmann: {
        for (int i = 0; i < 4; ++i)
            passes.push_back(randomPass());
        const std::vector<Pass> fixed = gutmannFixedPasses();
        passes.insert(passes.end(), fixed.begin(), fixed.end());
        for (int i = 0; i < 4; ++i)
            passes.push_back(randomPass());
        break;
    }
    }
    if (finalZeroPass)
        passes.push_back(bytePass(0x00));
    return passes;
}

const char *methodName(Method method)
{
    return base::eraseMethodForPassCount(int(passesFor(method, false).size())).name;
}

} // namespace srm
