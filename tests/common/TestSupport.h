#pragma once

#include "platform/Log.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace testsupport {

// Collects log lines for the life of the object instead of printing them.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    bool contains(const QString &text) const;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    platform::LogSink m_previous;
};

// A throw-away bundle tree (X.app/Contents/{MacOS,Resources}) that Bundle::mainBundle() points at
// for the life of the object.
class TempBundle
{
public:
    explicit TempBundle(const QString &name = QStringLiteral("Test.app"));
    ~TempBundle();
    QString bundlePath() const { return m_bundlePath; }
    QString resourcePath() const;
    QString root() const { return m_dir.path(); }
    // Copies a file of the built bundle's resources (for example "DataBase.db") into this one.
    QString copyBuiltResource(const QString &fileName) const;
    QString writeResource(const QString &fileName, const QByteArray &content) const;

private:
    QTemporaryDir m_dir;
    QString m_bundlePath;
};

// A stand-in for the overwrite tool that speaks its batch protocol: it reads NUL-ended listings
// ("<device> <inode> <names> <path>") on standard input and runs `body` once per path in a subshell, with $1 the flag string and $2 the
// path ($$ is the tool itself); the body's status is the path's answer ("<n> ok" for 0, else
// "<n> fail status <s>"), and its output goes to standard error. `atStart` runs once before the
// first path, `atEnd` after the input has ended (its status is the tool's).
QByteArray standInTool(const QByteArray &body, const QByteArray &atStart = {}, const QByteArray &atEnd = {});

// Where preview images of one kind go: below $NULLWELL_PREVIEW_DIR (scripts/previews.sh sets it),
// else below the temporary folder; never in the build folder. The folder exists on return.
QString previewFolder(const QString &kind);

// Writes a file, making the folders on its way first; answers the path.
QString writeFileAt(const QString &path, const QByteArray &content);

// The paths of a list of items, in order, for comparing work lists and results.
template <typename ItemList>
QStringList urlsOf(const ItemList &list)
{
    QStringList result;
    for (const auto &item : list)
        result << item->url();
    return result;
}

// Spins the event loop until the predicate holds or the time is up.
bool waitUntil(const std::function<bool()> &predicate, int timeoutMs = 10000);

} // namespace testsupport
