#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// One child process of the erasure worker. Unless the owner asks for its lines, its output is thrown
// away, so a child that writes a lot can never stall on a full pipe. When it ends, the runner posts
// kTaskDidTerminateNotification with itself as the object, from the event loop, so the worker steps
// on without nesting calls.
class ProcessRunner : public QObject
{
    Q_OBJECT
public:
    static const QString kTaskDidTerminateNotification;

    using Factory = std::function<std::unique_ptr<ProcessRunner>()>;
    // The runner every worker makes for a child; tests replace it. An empty factory restores the
    // real one.
    static std::unique_ptr<ProcessRunner> create();
    static void setFactory(Factory factory);

    ~ProcessRunner() override = default;

    // Set before launch() to talk with the child: it then reads its standard input from
    // writeInput() instead of the null device, and every line it writes on its standard output is
    // handed over without its newline, in order, all of them before its end is posted.
    using LineHandler = std::function<void(const QByteArray &line)>;
    void setLineHandler(LineHandler handler) { m_lineHandler = std::move(handler); }

    // Starts the program; false when it cannot be started (nothing is posted then).
    virtual bool launch(const QString &program, const QStringList &arguments) = 0;
    // Bytes for the child's standard input, kept until it takes them; false once it cannot take
    // any more (it has ended or closed its input).
    virtual bool writeInput(const QByteArray &bytes)
    {
        (void)bytes;
        return false;
    }
    // No more input: the child reads its end once it has taken everything written before.
    virtual void closeInput() {}
    // Asks a running child to end; its end is posted as usual.
    virtual void terminate() = 0;
    virtual bool isRunning() const = 0;
    // Whether the child ended because it could not be started after all.
    bool failedToStart() const { return m_failedToStart; }
    // The ended child's exit status; a child ended by a signal counts as 128 plus the signal.
    int exitCode() const { return m_exitCode; }
    // Whether its end is being delivered right now (it must not be destroyed then).
    bool isDelivering() const { return m_delivering; }

    // Runners that are done with: destroyed as soon as none of them is inside its own delivery.
    using Retired = std::vector<std::unique_ptr<ProcessRunner>>;
    static void retire(Retired &retired, std::unique_ptr<ProcessRunner> runner);
    // For the owner's teardown: what cannot go now goes from the event loop.
    static void releaseAll(Retired &retired);

protected:
    bool talks() const { return bool(m_lineHandler); }
    // Hands one output line to the owner; the owner may let go of the runner meanwhile, which
    // isDelivering() tells it not to do at once.
    void deliverLine(const QByteArray &line);
    void postTermination(bool failedToStart, int exitCode = 0);

private:
    bool m_failedToStart = false;
    int m_exitCode = 0;
    bool m_posted = false;
    bool m_delivering = false;
    LineHandler m_lineHandler;
};
