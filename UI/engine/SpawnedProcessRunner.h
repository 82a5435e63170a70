#pragma once

#include "ProcessRunner.h"

#include <QByteArray>

#include <sys/types.h>

class QSocketNotifier;

// The real runner. The program and its arguments reach the child byte for byte (a path whose name
// is not valid UTF-8 included, see NativePath), which QProcess cannot promise; the child reads and
// writes the null device, or when the owner talks with it, reads a socket fed by writeInput() and
// writes its standard output into a pipe that is read as it fills; it inherits no other descriptor.
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
    void stopWatching(QSocketNotifier *&notifier, int &fd);

    pid_t m_pid = -1;
    int m_pidFd = -1;
    QObject *m_watcher = nullptr;
    int m_inputFd = -1;
    QSocketNotifier *m_inputNotifier = nullptr;
    QByteArray m_pendingInput;
    bool m_inputClosing = false;
    int m_outputFd = -1;
    QSocketNotifier *m_outputNotifier = nullptr;
    QByteArray m_partialLine;
};
