#include "common/ForensicScene.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <QDir>
#include <QFile>
#include <QUuid>

#include <sys/xattr.h>

namespace testsupport {

namespace {

QByteArray unique(const char *prefix)
{
    return prefix + QUuid::createUuid().toByteArray(QUuid::Id128).left(20);
}

bool setAttribute(const QString &path, const char *name, const QByteArray &value)
{
    return ::setxattr(QFile::encodeName(path).constData(), name, value.constData(), std::size_t(value.size()),
                      0) == 0;
}

} // namespace

ForensicScene::ForensicScene(const QString &folder, const QString &type, bool bareEntries)
    : m_image(type == QStringLiteral("ext4")
                  ? LoopImage(folder)
                  : LoopImage(folder, type, {QStringLiteral("-q"), QStringLiteral("-f")})),
      m_content(unique("NWCONTENT")), m_name(unique("NWNAME")), m_value(unique("NWVALUE")),
      m_control(unique("NWSTAYS"))
{
    if (!m_image.mounted())
        return;
    const QString root = m_image.mountPoint();
    m_erasedFolder = root + QStringLiteral("/erased");
    QByteArray longValue;
    while (longValue.size() < 2000)
        longValue += m_value + '-';
    const QByteArray shortValue = m_value;
    bool made = true;
    for (int i = 0; i < 40; ++i) {
        const QString path =
            m_erasedFolder + QLatin1Char('/') + QString::fromLatin1(m_name) + QStringLiteral("-%1").arg(i);
        made = made && !writeFileAt(path, QByteArray(m_content + '\n').repeated(300)).isEmpty();
        if (i % 10 == 0)
            made = made && setAttribute(path, "user.short", shortValue);
        if (i % 10 == 1)
            made = made && setAttribute(path, "user.comment", longValue);
        m_files << path;
    }
    m_keptFile = root + QStringLiteral("/kept/") + QString::fromLatin1(m_name) + QStringLiteral("-kept");
    made = made && !writeFileAt(m_keptFile, QByteArray(m_content + '\n').repeated(300)).isEmpty() &&
           setAttribute(m_keptFile, "user.short", shortValue) &&
           setAttribute(m_keptFile, "user.comment", longValue) &&
           !writeFileAt(root + QStringLiteral("/kept/") + QString::fromLatin1(m_control), "stays").isEmpty();
    m_files.prepend(m_keptFile);
    if (bareEntries) {
        const QString erased = m_erasedFolder + QLatin1Char('/') + QString::fromLatin1(m_name);
        const QString kept = m_keptFile;
        made = made && !writeFileAt(erased + QStringLiteral("-empty"), {}).isEmpty() &&
               QFile::link(QStringLiteral("nowhere"), erased + QStringLiteral("-link")) &&
               !writeFileAt(erased + QStringLiteral("-sub/") + QString::fromLatin1(m_name) + QStringLiteral("-inner"), {})
                    .isEmpty() &&
               !writeFileAt(kept + QStringLiteral("-empty"), {}).isEmpty() &&
               QFile::link(QStringLiteral("nowhere"), kept + QStringLiteral("-link"));
        m_keptBare = {kept + QStringLiteral("-empty"), kept + QStringLiteral("-link")};
    }
    if (!made)
        m_error = QStringLiteral("cannot write the files and their attributes");
    else if (!m_image.remount())
        m_error = QStringLiteral("cannot mount the image again: ") + m_image.error();
    m_ready = m_error.isEmpty();
}

QString ForensicScene::error() const
{
    return m_error.isEmpty() ? m_image.error() : m_error;
}

QStringList ForensicScene::chosen() const
{
    return QStringList{m_keptFile, m_erasedFolder} + m_keptBare;
}

QStringList ForensicScene::files() const
{
    return m_files;
}

ForensicScene::Traces ForensicScene::search()
{
    Traces traces;
    if (!m_image.unmount())
        return traces;
    traces.content = m_image.copiesOf(m_content);
    traces.names = m_image.copiesOf(m_name);
    traces.values = m_image.copiesOf(m_value);
    traces.control = m_image.copiesOf(m_control);
    return traces;
}

std::string ForensicScene::describe(const Traces &traces)
{
    const auto both = [](const LoopImage::Copies &copies) {
        return std::to_string(copies.inJournal) + " in the journal, " + std::to_string(copies.outside) +
               " elsewhere";
    };
    return "content " + both(traces.content) + "; names " + both(traces.names) + "; values " +
           both(traces.values) + "; the kept file's name " + both(traces.control);
}

void ForensicScene::expectNothingLeft(const std::string &label, const QString &type)
{
    const Traces traces = search();
    const std::string what = label + ": " + describe(traces);
    std::printf("%s\n", what.c_str());
    EXPECT_GT(traces.control.total(), 0) << what << " (the search must find the file that stays)";
    EXPECT_EQ(traces.content.total(), 0) << what;
    const bool logCounts = type != QStringLiteral("xfs");
    EXPECT_EQ(traces.names.outside + (logCounts ? traces.names.inJournal : 0), 0) << what;
    EXPECT_EQ(traces.values.outside + (logCounts ? traces.values.inJournal : 0), 0) << what;
}

} // namespace testsupport
