#include "CallerSession.h"

#include "platform/InvokingUser.h"
#include "platform/Log.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kDisplay = QStringLiteral("DISPLAY");
const QString kXauthority = QStringLiteral("XAUTHORITY");
const QString kWaylandDisplay = QStringLiteral("WAYLAND_DISPLAY");
const QString kRuntimeDir = QStringLiteral("XDG_RUNTIME_DIR");
const QString kBusAddress = QStringLiteral("DBUS_SESSION_BUS_ADDRESS");

QString &runtimeFolderBase()
{
    static QString base = QStringLiteral("/run/user");
    return base;
}

// Root's own runtime folder while it acts for someone, private to root, with the empty authority
// file that stands in when the user's own cannot be used. Removed when the program ends.
const QTemporaryDir *ownRuntimeFolder()
{
    static std::unique_ptr<QTemporaryDir> folder;
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/ostrivan-nullwell-runtime-XXXXXX"));
        QFile empty(folder->filePath(QStringLiteral("Xauthority")));
        if (!folder->isValid() || !empty.open(QIODevice::WriteOnly))
            platform::log(QStringLiteral("Cannot make a private runtime folder: %1").arg(folder->errorString()));
    }
    return folder.get();
}

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

bool matches(const char *pattern, const QByteArray &value)
{
    const QRegularExpression expression(QRegularExpression::anchoredPattern(QLatin1String(pattern)));
    return expression.match(QString::fromLatin1(value)).hasMatch();
}

// The object at path itself (a link is not followed) is of the kind and belongs to the user.
bool ownedObject(const QByteArray &path, mode_t kind, uint uid, QString *why)
{
    struct stat info;
    if (::lstat(path.constData(), &info) != 0) {
        *why = QStringLiteral("it does not exist");
        return false;
    }
    if ((info.st_mode & S_IFMT) != kind) {
        *why =
            S_ISLNK(info.st_mode) ? QStringLiteral("it is a link") : QStringLiteral("it is of another kind");
        return false;
    }
    if (info.st_uid != uid) {
        *why = QStringLiteral("it belongs to someone else");
        return false;
    }
    return true;
}

} // namespace

const QStringList &CallerSession::variables()
{
    static const QStringList names = {kDisplay, kXauthority, kWaylandDisplay, kRuntimeDir, kBusAddress};
    return names;
}

bool CallerSession::isAcceptable(const QString &name, const QByteArray &value, uint invokingUid, QString *why)
{
    QString reason;
    QString &out = why ? *why : reason;
    if (value.isEmpty() || value.size() > 1024) {
        out = QStringLiteral("the value is empty or too long");
        return false;
    }
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f) {
            out = QStringLiteral("the value holds control or non-ASCII characters");
            return false;
        }
    }
    out = QStringLiteral("the value is not of the expected form");
    if (name == kDisplay) {
        // A display elsewhere would be reached over the network, with whatever cookie the X library
        // finds for it: only this machine's own displays are used.
        if (matches("(unix)?:[0-9]{1,5}(\\.[0-9]{1,3})?", value))
            return true;
        if (matches("[A-Za-z0-9.-]*/?[A-Za-z0-9.-]*:{1,2}[0-9]{1,5}(\\.[0-9]{1,3})?", value))
            out = QStringLiteral("%1 is a display on another machine; Ostrivan Nullwell opens its window "
                                 "only on a display of this machine")
                      .arg(QString::fromLatin1(value));
        return false;
    }
    if (name == kWaylandDisplay)
        return matches("[A-Za-z0-9][A-Za-z0-9._-]*", value);
    if (name == kXauthority)
        return matches("/[^\\s]*", value) && ownedObject(value, S_IFREG, invokingUid, &out);
    if (name == kRuntimeDir)
        return matches("/[^\\s]*", value) && ownedObject(value, S_IFDIR, invokingUid, &out);
    if (name == kBusAddress) {
        // One plain socket path: no other transports, escapes, options or alternatives.
        const QRegularExpression form(QRegularExpression::anchoredPattern(
            QStringLiteral("unix:path=(/[A-Za-z0-9/._+-]*)(,guid=[0-9a-f]{32})?")));
        const QRegularExpressionMatch match = form.match(QString::fromLatin1(value));
        return match.hasMatch() && ownedObject(match.captured(1).toLatin1(), S_IFSOCK, invokingUid, &out);
    }
    return false;
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
        parentUid = uint(-1);
    return adopt(invoking, parentUid, parentUid == invoking ? readProcFile(parent, "environ") : QByteArray());
}

void CallerSession::setRuntimeFolderBase(const QString &base)
{
    runtimeFolderBase() = base;
}

QStringList CallerSession::adopt(uint invokingUid, uint parentUid, const QByteArray &parentEnvironment)
{
    QHash<QString, QByteArray> offered;
    if (invokingUid == parentUid) {
        const QList<QByteArray> entries = parentEnvironment.split('\0');
        for (const QByteArray &entry : entries) {
            const qsizetype equals = entry.indexOf('=');
            if (equals <= 0)
                continue;
            const QString name = QString::fromLatin1(entry.left(equals));
            if (variables().contains(name) && !offered.contains(name))
                offered.insert(name, entry.mid(equals + 1));
        }
    }
    // The parent that asked for us has often ended by now: the user's runtime folder is where the
    // system keeps it, and their session bus is the socket in it.
    const QByteArray usersFolder = QFile::encodeName(runtimeFolderBase()) + '/' + QByteArray::number(invokingUid);
    QStringList lookedUp;
    for (const auto &[name, value] : {std::pair{kRuntimeDir, usersFolder},
                                      std::pair{kBusAddress, "unix:path=" + usersFolder + "/bus"}}) {
        if (offered.value(name).isEmpty() && qEnvironmentVariableIsEmpty(name.toLatin1().constData())) {
            offered.insert(name, value);
            lookedUp.append(name);
        }
    }

    QStringList adopted;
    QHash<QString, QByteArray> accepted;
    for (const QString &name : variables()) {
        const QByteArray key = name.toLatin1();
        const bool ours = !qEnvironmentVariableIsEmpty(key.constData());
        const QByteArray value = ours ? qgetenv(key.constData()) : offered.value(name);
        if (value.isEmpty())
            continue;
        QString why;
        if (!isAcceptable(name, value, invokingUid, &why)) {
            // A user without a runtime folder is no news; anything else refused is.
            struct stat folder;
            if (!lookedUp.contains(name) || ::lstat(usersFolder.constData(), &folder) == 0)
                platform::log(QStringLiteral("Not using %1 of the caller's session: %2").arg(name, why));
            continue;
        }
        accepted.insert(name, value);
        InvokingUser::setSessionValue(key, value);
        if (!ours)
            adopted.append(name);
    }

    // Our own environment: the user's display, read with the user's authority file or an empty one
    // (never root's own), and a runtime folder and bus of our own.
    const QTemporaryDir *own = ownRuntimeFolder();
    if (accepted.contains(kDisplay))
        qputenv("DISPLAY", accepted.value(kDisplay));
    else
        qunsetenv("DISPLAY");
    qputenv("XAUTHORITY", accepted.contains(kXauthority)
                              ? accepted.value(kXauthority)
                              : QFile::encodeName(own->filePath(QStringLiteral("Xauthority"))));
    // A Wayland display is named relative to the user's runtime folder, which is not ours.
    const QByteArray wayland = accepted.value(kRuntimeDir) + '/' + accepted.value(kWaylandDisplay);
    QString why;
    if (accepted.contains(kWaylandDisplay) && accepted.contains(kRuntimeDir) &&
        ownedObject(wayland, S_IFSOCK, invokingUid, &why))
        qputenv("WAYLAND_DISPLAY", wayland);
    else
        qunsetenv("WAYLAND_DISPLAY");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(own->path()));
    qputenv(kBusAddress.toLatin1().constData(), kClosedBusAddress);
    return adopted;
}
