#include "ProcessRunner.h"

#include "SpawnedProcessRunner.h"
#include "platform/NotificationCenter.h"

#include <QPointer>

const QString ProcessRunner::kTaskDidTerminateNotification = QStringLiteral("NSTaskDidTerminateNotification");

namespace {
ProcessRunner::Factory &factoryOverride()
{
    static ProcessRunner::Factory factory;
    return factory;
}
} // namespace

std::unique_ptr<ProcessRunner> ProcessRunner::create()
{
    if (factoryOverride())
        return factoryOverride()();
    return std::make_unique<SpawnedProcessRunner>();
}

void ProcessRunner::setFactory(Factory factory)
{
    factoryOverride() = std::move(factory);
}

void ProcessRunner::postTermination(bool failedToStart, int exitCode)
{
    // A child ends once; a start failure followed by another error must not step the run twice.
    if (m_posted)
        return;
    m_posted = true;
    m_failedToStart = failedToStart;
    m_exitCode = exitCode;
    m_delivering = true;
    QPointer<ProcessRunner> self(this);
    NotificationCenter::defaultCenter().postNotification(kTaskDidTerminateNotification, this);
    if (self)
        m_delivering = false;
}

void ProcessRunner::deliverLine(const QByteArray &line)
{
    if (!m_lineHandler)
        return;
    const bool wasDelivering = m_delivering;
    m_delivering = true;
    QPointer<ProcessRunner> self(this);
    m_lineHandler(line);
    if (self)
        m_delivering = wasDelivering;
}

void ProcessRunner::retire(Retired &retired, std::unique_ptr<ProcessRunner> runner)
{
    std::erase_if(retired, [](const std::unique_ptr<ProcessRunner> &old) { return !old->isDelivering(); });
    if (runner)
        retired.push_back(std::move(runner));
}

void ProcessRunner::releaseAll(Retired &retired)
{
    for (std::unique_ptr<ProcessRunner> &runner : retired) {
        if (runner->isDelivering())
            runner.release()->deleteLater();
    }
    retired.clear();
}
