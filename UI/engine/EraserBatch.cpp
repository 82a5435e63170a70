#include "EraserBatch.h"

#include "platform/Log.h"
#include "platform/NativePath.h"
#include "platform/NotificationCenter.h"

#include <QPointer>

#include <optional>

EraserBatch::EraserBatch(const QString &flag, QObject *parent) : QObject(parent), m_flag(flag) {}

EraserBatch::~EraserBatch()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    if (m_runner)
        ProcessRunner::retire(m_retired, std::move(m_runner));
    ProcessRunner::releaseAll(m_retired);
}

bool EraserBatch::start(const QString &program)
{
    m_runner = ProcessRunner::create();
    m_runner->setLineHandler([this](const QByteArray &line) { takeLine(line); });
    NotificationCenter::defaultCenter().addObserver(
        this, ProcessRunner::kTaskDidTerminateNotification, [this](const Notification &) { ended(); },
        m_runner.get());
    if (!m_runner->launch(program, {m_flag, QStringLiteral("--batch")})) {
        m_ended = true;
        return false;
    }
    return true;
}

bool EraserBatch::send(const QString &path, quint64 device, quint64 inode, quint64 names)
{
    const std::optional<QByteArray> bytes = NativePath::encode(path);
    if (!bytes || bytes->isEmpty() || m_ended || m_distrusted)
        return false;
    const QByteArray record = QByteArray::number(device) + ' ' + QByteArray::number(inode) + ' ' +
                              QByteArray::number(names) + ' ' + *bytes + '\0';
    if (!m_runner->writeInput(record))
        return false;
    ++m_sent;
    return true;
}

void EraserBatch::finish()
{
    if (m_runner && !m_ended)
        m_runner->closeInput();
}

void EraserBatch::terminate()
{
    if (m_runner && !m_ended && m_runner->isRunning())
        m_runner->terminate();
}

void EraserBatch::takeLine(const QByteArray &line)
{
    if (m_distrusted)
        return;
    const qsizetype space = line.indexOf(' ');
    bool numbered = false;
    const qulonglong index = line.left(space).toULongLong(&numbered);
    const QByteArray rest = space < 0 ? QByteArray() : line.mid(space + 1);
    const bool inTurn = numbered && index == qulonglong(m_answers.size()) && qsizetype(index) < m_sent;
    if (inTurn && rest == "ok") {
        m_answers.push_back(Answer{true, QString()});
    } else if (inTurn && (rest == "fail" || rest.startsWith("fail "))) {
        m_answers.push_back(Answer{false, NativePath::decode(rest.mid(5))});
    } else {
        platform::log(QStringLiteral("srm answered out of turn or unreadably; it is stopped"));
        m_distrusted = true;
        m_runner->closeInput();
        terminate();
        return;
    }
    tell();
}

void EraserBatch::ended()
{
    if (m_ended)
        return;
    m_ended = true;
    m_exitStatus = m_runner->failedToStart() ? -1 : m_runner->exitCode();
    tell();
}

void EraserBatch::tell()
{
    const bool wasDelivering = m_delivering;
    m_delivering = true;
    QPointer<EraserBatch> self(this);
    emit changed();
    if (self)
        m_delivering = wasDelivering;
}

void EraserBatch::release(std::unique_ptr<EraserBatch> batch)
{
    if (batch && batch->isDelivering())
        batch.release()->deleteLater();
}
