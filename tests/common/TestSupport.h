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

// Spins the event loop until the predicate holds or the time is up.
bool waitUntil(const std::function<bool()> &predicate, int timeoutMs = 10000);

} // namespace testsupport
