#pragma once

#include "ProcessRunner.h"
#include "ProcessorAvoidance.h"
#include "base/Descriptor.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <memory>

#include <sys/types.h>

class QSocketNotifier;
class QTimer;

// The real runner. The program and its arguments reach the child byte for byte (a path whose name
// is not valid UTF-8 included, see NativePath), which QProcess cannot promise; the child reads and
// writes the null device, or when the owner talks with it, reads a socket fed by writeInput() and
// writes its standard output into a pipe that is read as it fills; its standard error goes to the
// log line by line, so the reasons it gives can be found; it inherits no other descriptor.
//
// A child that answers many times a second is not listened to after every line: once its lines
// have been taken, the pipe is left alone for a few of its average gaps between lines (at most
// kMaxHoldMs), so that the lines written meanwhile are taken at one wake-up instead of one each.
// A line written into a pipe nobody waits on costs the child next to nothing, while every
// wake-up of this thread cost the child a cross-processor wake and often its processor for a
// while. Its end is still seen at once, and every line it wrote is handed over before it.
// While such a child runs, this thread also keeps off the processor the child works on (see
// ProcessorAvoidance).
class SpawnedProcessRunner : public ProcessRunner
{
    Q_OBJECT
public:
    SpawnedProcessRunner() = default;
    ~SpawnedProcessRunner() override;

    bool launch(const QString &program, const QStringList &arguments) override;
    bool writeInput(const QByteArray &bytes) override;
    void closeInput() override;
    void terminate() override;
    bool isRunning() const override { return m_pid > 0; }

    // Lines taken at one wake-up stand for this many average gaps between lines: the pipe is left
    // alone that long. The worker keeps several times as many files ahead of the tool.
    static constexpr int kHeldGaps = 8;
    static constexpr int kMaxHoldMs = 8;

private:
    void watchChild();
    // Collects the child if it has ended and posts its end; true when it has.
    bool reap();
    void flushInput();
    void dropInput();
    // Reads what the child has written so far and hands over each complete line; false when the
    // runner went away meanwhile.
    bool readOutput();
    void dropOutput();
    // Leaves the output pipe alone for a while after lines were taken (see above).
    void holdOutput(qsizetype lines);
    // Logs each complete line the child wrote on its standard error (all of it when final).
    void readErrors(bool final);
    void stopWatching(QSocketNotifier *&notifier, base::Descriptor &fd);

    pid_t m_pid = -1;
    base::Descriptor m_pidFd;
    QObject *m_watcher = nullptr;
    base::Descriptor m_inputFd;
    QSocketNotifier *m_inputNotifier = nullptr;
    QByteArray m_pendingInput;
    bool m_inputClosing = false;
    base::Descriptor m_outputFd;
    QSocketNotifier *m_outputNotifier = nullptr;
    QByteArray m_partialLine;
    QTimer *m_outputHold = nullptr;
    QElapsedTimer m_sinceLastLines;
    double m_lineGapMs = -1; // the average time between lines so far; negative before any
    std::unique_ptr<ProcessorAvoidance> m_processor; // while a child that talks runs
    base::Descriptor m_errorFd;
    QSocketNotifier *m_errorNotifier = nullptr;
    QByteArray m_partialError;
};
