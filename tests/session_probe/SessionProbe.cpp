// Started the way pkexec starts the program; writes down what the caller's session gave it.
// Arguments: the folder that stands for /run/user, the report file, and optionally "connect-x" to
// open the display the way the X library does for the window.
#include "CallerSession.h"
#include "platform/InvokingUser.h"
#include "platform/Log.h"

#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <xcb/xcb.h>

namespace {

QByteArray report;

void note(const QByteArray &line)
{
    report += line + '\n';
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    platform::setLogSink([](const QString &line) { note("log " + line.toUtf8()); });
    qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &message) { note("qt " + message.toUtf8()); });
    CallerSession::setRuntimeFolderBase(QFile::decodeName(argv[1]));
    CallerSession::adoptFromParent();

    for (const QString &name : CallerSession::variables())
        note("own " + name.toLatin1() + '=' + qgetenv(name.toLatin1().constData()));
    for (const auto &[name, value] : InvokingUser::sessionValues())
        note("person " + name + '=' + value);
    struct stat info;
    if (::lstat(qgetenv("XDG_RUNTIME_DIR").constData(), &info) == 0)
        note("own runtime folder mode=" + QByteArray::number(info.st_mode & 07777, 8) + " uid=" +
             QByteArray::number(info.st_uid));
    if (::stat(qgetenv("XAUTHORITY").constData(), &info) == 0)
        note("own authority size=" + QByteArray::number(qint64(info.st_size)));
    note("qt runtime=" + QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)));
    if (argc > 3 && qstrcmp(argv[3], "connect-x") == 0) {
        xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
        note("x error=" + QByteArray::number(xcb_connection_has_error(connection)));
        xcb_disconnect(connection);
    }

    QFile out(QFile::decodeName(argv[2]) + QStringLiteral(".part"));
    if (!out.open(QIODevice::WriteOnly) || out.write(report) != report.size())
        return 1;
    out.close();
    return out.rename(QFile::decodeName(argv[2])) ? 0 : 1;
}
