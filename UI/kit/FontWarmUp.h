#pragma once

#include <functional>

// The font configuration (fontconfig's files and caches, 7 to 15 ms) loaded on a thread of its own
// while the X server exposes the first window. Qt would otherwise load it on the main thread when
// it draws the window's text, delaying the first picture by as much. Fontconfig puts a
// configuration in force only once it is complete (an atomic swap), so should Qt need one before
// this is done, its own load sees either none, and builds one beside this, or this one whole.
class FontWarmUp
{
public:
    // Starts the loading; does nothing while a load is still running. Once the first window is mapped:
    // loaded beside the window's construction it slowed that by 1 to 2 ms, while after the map the
    // main thread mostly waits for the X server, and draws text some 20 ms later.
    static void begin();
    // Waits for the pending load; does nothing when none is pending. Before the application object
    // goes, whose font database destroys the configuration in force.
    static void finish();
    // Replaces what the thread does (tests); an empty function restores the fontconfig load.
    static void setWorkOverride(std::function<void()> work);
};
