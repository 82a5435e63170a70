#pragma once

#include "ProcessRunner.h"

#include <sys/types.h>

// The real runner. The program and its arguments reach the child byte for byte (a path whose name
// is not valid UTF-8 included, see NativePath), which QProcess cannot promise; the child reads and
// writes the null device and inherits no other descriptor.
class SpawnedProcessRunner : public ProcessRunner
{
    Q_OBJECT
public:
    SpawnedProcessRunner() = default;
    ~SpawnedProcessRunner() override;

    bool launch(const QString &program, const QStringList &arguments) override;
    void terminate() override;
    bool isRunning() const override { return m_pid > 0; }

private:
    void watchChild();
    // Collects the child if it has ended and posts its end; true when it has.
    bool reap();

    pid_t m_pid = -1;
    int m_pidFd = -1;
    QObject *m_watcher = nullptr;
};
