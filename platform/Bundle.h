#pragma once

#include <QString>

// A bundle is a folder laid out as Name.app/Contents/{MacOS,Resources}. The running program's own
// bundle is found from its executable, which lives in Contents/MacOS.
class Bundle
{
public:
    explicit Bundle(QString bundlePath);

    // The running program's bundle, or the override set for tests.
    static Bundle mainBundle();
    // Points mainBundle() at another folder (tests); an empty path restores the real one.
    static void setMainBundleOverride(const QString &bundlePath);
    // Two levels above the executable's folder: .../X.app/Contents/MacOS/exe gives .../X.app.
    static QString bundlePathForExecutable(const QString &executablePath);

    QString bundlePath() const { return m_path; }
    QString contentsPath() const;
    QString executableFolder() const;
    QString resourcePath() const;
    // The resource's path when it exists, else an empty text. The type is the file ending without
    // its dot; an empty type means the name is the whole file name.
    QString pathForResource(const QString &name, const QString &type = QString()) const;

private:
    QString m_path;
};
