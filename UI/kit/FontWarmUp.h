#pragma once

#include <functional>

// The font configuration (fontconfig's files and caches, 7 to 10 ms) loaded on a thread of its own
// while the first window is built. Qt would otherwise load it on the main thread when the window's
// first picture draws text, after the window is mapped. Fontconfig puts a configuration in force
// only once it is complete (an atomic swap), so Qt's own first use sees either none, and loads one
// itself, or this one whole.
class FontWarmUp
{
public:
    // Starts the loading; does nothing while a load is pending. After the application object
    // exists, which has set the process's locale that fontconfig's parser reads.
    static void begin();
    // Waits for the pending load; does nothing when none is pending. Once the first window shows
    // and before the loop paints, so that Qt never loads a second configuration beside this one,
    // and before the application object goes, whose font database destroys the configuration.
    static void finish();
    // Replaces what the thread does (tests); an empty function restores the fontconfig load.
    static void setWorkOverride(std::function<void()> work);
};
