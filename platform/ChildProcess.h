#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <sys/types.h>
#include <vector>

// What every start of a child process shares, however it starts (posix_spawn, or fork() to change
// user or to watch the start): the vectors exec takes, built before any fork() so that the child
// allocates nothing, and waiting for a child that a signal does not cut short.
class ChildProcess
{
public:
    ChildProcess() = delete;

    // A NULL-ended vector of C strings (arguments or environment entries). It points into its own
    // items, so it moves but is never copied.
    class Vector
    {
    public:
        explicit Vector(std::vector<QByteArray> items = {});
        Vector(Vector &&) = default;
        Vector &operator=(Vector &&) = default;
        Vector(const Vector &) = delete;
        Vector &operator=(const Vector &) = delete;

        char *const *data() const { return m_pointers.data(); }

    private:
        std::vector<QByteArray> m_items;
        std::vector<char *> m_pointers;
    };

    // The program and its arguments byte for byte (a path whose name is not valid UTF-8 included,
    // see NativePath); nothing when one of them holds what no argument can carry.
    static std::optional<Vector> arguments(const QString &program, const QStringList &arguments);

    // waitpid() again whenever a signal interrupts it. Async-signal-safe, so a forked child may
    // use it too.
    static pid_t wait(pid_t pid, int *status, int options);
};
