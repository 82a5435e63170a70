#pragma once

#include "base/Descriptor.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <sys/types.h>
#include <vector>

// The one home of starting child processes, however they start (posix_spawn, or fork() to change
// user or to watch the start): the vectors exec takes, built before any fork() so that the child
// allocates nothing; the fork into a session of its own with a pipe that tells whether the program
// was executed; the child's signals put back; waiting that a signal does not cut short.
// Whatever runs in a forked child here is async-signal-safe: the parent may have threads.
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
    // Kills the child and waits briefly for it, so that none is left running or as a zombie.
    static void killAndCollect(pid_t pid);

    // How a start went, told through a pipe whose write end closes by itself on exec: a record
    // arrives only when the start failed (or when a watching process has something to say).
    class ReportPipe
    {
    public:
        bool open();
        int writeEnd() const { return m_ends.write.get(); }
        // Reads one whole record; false once every writer has executed or gone without one.
        bool read(void *record, size_t size);
        // After exec failed, the errno goes to the parent and the child ends.
        [[noreturn]] static void failStart(int writeEnd, int error);
        // Writes a record in one piece (records stay within PIPE_BUF).
        static void write(int writeEnd, const void *record, size_t size);

    private:
        friend class ChildProcess;
        base::DescriptorPair m_ends;
    };

    // fork(): the child keeps the pipe's write end only, and leads a session of its own when
    // asked (no terminal, no signal of ours reaches it); the parent keeps the read end only.
    // 0 in the child, the child's id or -1 in the parent.
    static pid_t fork(ReportPipe &report, bool ownSession);
    // In a forked child: becomes the user with exactly these groups, for good (root's
    // supplementary groups and the way back to root are gone); false when any step failed.
    static bool becomeUser(uid_t uid, gid_t gid, const std::vector<gid_t> &groups);
    // In a forked child: what this process blocks or ignores is no business of the program's.
    static void resetSignals();

    // Runs in the forked child and does not return unless exec failed; the errno then.
    using Exec = int (*)(const void *context);
    // Starts exec's program in a session of its own that no one but init reaps, and does not wait
    // for it; true once the program was executed.
    static bool startDetached(Exec exec, const void *context);
    // Starts exec's program; its id once executed, else -1 (the child is then collected).
    static pid_t start(Exec exec, const void *context);

    // What a program run to its end with its output collected gave.
    struct Finished
    {
        int startError = 0; // the errno when it could not be executed
        bool exited = false; // false when it could not be executed or a signal ended it
        int exitStatus = -1;
        QByteArray output;
        QByteArray errors;
    };
    // Runs the program (with our environment) to its end, reading its standard output and error;
    // one still writing after timeoutMs (when not negative) is killed and counts as not exited.
    static Finished runToEnd(const Vector &argv, int timeoutMs = -1);
};
