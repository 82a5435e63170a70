#pragma once

#include "ProcessRunner.h"
#include "base/Descriptor.h"

#include <QByteArray>

#include <sys/types.h>

class QSocketNotifier;

// The real runner. The program and its arguments reach the child byte for byte (a path whose name
// is not valid UTF-8 included, see NativePath), which QProcess cannot promise; the child reads and
// writes the null device, or when the owner talks with it, reads a socket fed by writeInput() and
// writes its standard output into a pipe that is read as it fills; its standard error goes to the
// log line by line, so the reasons it gives can be found; it inherits no other descriptor.
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
    base::Descriptor m_errorFd;
    QSocketNotifier *m_errorNotifier = nullptr;
    QByteArray m_partialError;
};
