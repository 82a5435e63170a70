#pragma once

#include <functional>

// The font configuration (fontconfig's files and caches, 7 to 15 ms) loaded on a thread of its own
// while the first window is built. Qt would otherwise load it on the main thread when it first
// draws text, after the window is on the screen, and the window would show blank meanwhile.
// Fontconfig puts a configuration in force only once it is complete (an atomic swap), so a Qt that
// needed one before this is done would build a second one beside it, both slowed by the other:
// the first exposure of a window therefore waits for this load instead.
class FontWarmUp
{
public:
    // Starts the loading, and has the first window exposure wait for it; does nothing while a load
    // is still running. Begun once the application object exists: beside the window's
    // construction it costs the construction 1 to 2 ms, and brings the first picture some 7 ms
    // sooner than a load begun once the window is mapped.
    static void begin();
    // Waits for the pending load; does nothing when none is pending. Before the application object
    // goes, whose font database destroys the configuration in force.
    static void finish();
    // Replaces what the thread does (tests); an empty function restores the fontconfig load.
    static void setWorkOverride(std::function<void()> work);
};
