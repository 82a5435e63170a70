#pragma once

#include <QString>

class NetworkModuleInterface;

// Finds and loads the network module the first time something goes online. The module lives in
// the running program's own bundle (Contents/PlugIns), found from the executable itself, never from
// the environment: the program may run as root. It stays loaded for the life of the process.
class NetworkModule
{
public:
    NetworkModule() = delete;

    // The module's interface, loaded on the first call; null (with a log line) when it is missing,
    // broken or of another version, so that the caller reports its work as failed. A failed load
    // is tried again at the next call. Safe on any thread.
    static const NetworkModuleInterface *get();

    static QString fileName();
    // Where the program at the given path keeps its module.
    static QString pathForExecutable(const QString &executablePath);
    // Loads from another file instead (tests; the build's module for test programs that live outside
    // a bundle). An empty path restores the running program's own. Drops the module loaded so far.
    static void setPathOverride(const QString &path);
};
