#include "CallerSession.h"

#include <QFile>

#include <unistd.h>

namespace {

QByteArray readProcFile(pid_t pid, const char *name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The real user id of a process, from its status file.
bool processUid(pid_t pid, uint *uid)
{
    const QList<QByteArray> lines = readProcFile(pid, "status").split('\n');
    for (const QByteArray &line : lines) {
        if (!line.startsWith("Uid:"))
            continue;
        const QList<QByteArray> fields = line.mid(4).simplified().split(' ');
        bool ok = false;
        *uid = fields.value(0).toUInt(&ok);
        return ok;
    }
    return false;
}

} // namespace

const QStringList &CallerSession::variables()
{
    static const QStringList names = {QStringLiteral("DISPLAY"), QStringLiteral("XAUTHORITY"),
                                      QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("XDG_RUNTIME_DIR"),
                                      QStringLiteral("DBUS_SESSION_BUS_ADDRESS")};
    return names;
}

QStringList CallerSession::adoptFromParent()
{
    if (::geteuid() != 0)
        return {};
    bool ok = false;
    const uint invoking = qEnvironmentVariable("PKEXEC_UID").toUInt(&ok);
    if (!ok || invoking == 0)
        return {};
    const pid_t parent = ::getppid();
    uint parentUid = 0;
    if (parent <= 1 || !processUid(parent, &parentUid))
        return {};
    return adopt(invoking, parentUid, readProcFile(parent, "environ"));
}

QStringList CallerSession::adopt(uint invokingUid, uint parentUid, const QByteArray &parentEnvironment)
{
    QStringList adopted;
    if (invokingUid != parentUid)
        return adopted;
    const QList<QByteArray> entries = parentEnvironment.split('\0');
    for (const QByteArray &entry : entries) {
        const qsizetype equals = entry.indexOf('=');
        if (equals <= 0)
            continue;
        const QString name = QString::fromLatin1(entry.left(equals));
        const QByteArray value = entry.mid(equals + 1);
        if (!variables().contains(name) || value.isEmpty() || !qEnvironmentVariableIsEmpty(name.toLatin1().constData()))
            continue;
        qputenv(name.toLatin1().constData(), value);
        adopted.append(name);
    }
    return adopted;
}
