#include "HistoryHtmlWriter.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

DoDataBase::Record record(const QString &items, const QString &algorithm, const QString &result)
{
    return {{QStringLiteral("Items"), items},
            {QStringLiteral("Erasure algorithm"), algorithm},
            {QStringLiteral("Result"), result}};
}

QString spaces(int count)
{
    return QString(count, QLatin1Char(' '));
}

TEST(HistoryHtmlWriterTest, HeadIsTheFixedXhtmlPreamble)
{
    const QString head = HistoryHtmlWriter::head();
    EXPECT_EQ(head.size(), 1155);
    EXPECT_TRUE(
        head.startsWith(QStringLiteral("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                                       "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">     "
                                       "<html xmlns=\"http://www.w3.org/1999/xhtml\">"
                                       "     <head>     <meta content=")));
    EXPECT_TRUE(head.contains(QStringLiteral("font-family:Segoe,  \"Segoe UI \",  \"DejaVu Sans \",  "
                                             "\"Trebuchet MS \", Verdana, sans-serif; }     table {")));
    EXPECT_TRUE(head.endsWith(
        QStringLiteral("</head>     <body>     <!-- toplink -->     <table width=\"200\" border=\"1\">")));
    EXPECT_FALSE(head.contains(QLatin1Char('\n')));
}

TEST(HistoryHtmlWriterTest, RunPageHasExactRowsAndEscapesEveryValue)
{
    const DoDataBase::RecordList records = {
        record(QStringLiteral("Items"), QStringLiteral("Erasure Algorithm"), QStringLiteral("Result")),
        record(QStringLiteral("/home/a&b/<x> \"q\" it's.txt"), QStringLiteral("DoD <3>"),
               QStringLiteral("Erased")),
    };
    const QString html = HistoryHtmlWriter::htmlForRun(QStringLiteral("2026-12-08 09-15-40"), records);
    const QString expected =
        HistoryHtmlWriter::head() + QStringLiteral("<tr>") + spaces(24) +
        QStringLiteral("<th colspan=\"3\">2026-12-08 09-15-40</th>") + spaces(25) + QStringLiteral("</tr>") +
        QStringLiteral("<tr class=\"title\">") + spaces(32) + QStringLiteral("<td>Items</td>") + spaces(33) +
        QStringLiteral("<td>Erasure Algorithm</td>") + spaces(33) + QStringLiteral("<td>Result</td>") +
        spaces(33) + QStringLiteral("</tr>") + QStringLiteral("<tr>") + spaces(32) +
        QStringLiteral("<td>/home/a&amp;b/&lt;x&gt; &quot;q&quot; it&#39;s.txt</td>") + spaces(33) +
        QStringLiteral("<td>DoD &lt;3&gt;</td>") + spaces(33) + QStringLiteral("<td>Erased</td>") +
        spaces(33) + QStringLiteral("</tr>") + QStringLiteral("</table>") + spaces(5) +
        QStringLiteral("</body>") + spaces(6) + QStringLiteral("</html>");
    EXPECT_EQ(html, expected);
    // Three table rows: the run, the title row and the item.
    EXPECT_EQ(html.count(QStringLiteral("<tr")), 3);
    EXPECT_EQ(html.count(QStringLiteral("<th ")), 1);
}

TEST(HistoryHtmlWriterTest, WritesUtf8AndReportsFailure)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r\u00e9sum\u00e9.html"));
    const QString text = QStringLiteral("<td>Stra\u00dfe \u65e5\u672c</td>");
    ASSERT_TRUE(HistoryHtmlWriter::writeAtomically(path, text));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), text.toUtf8());

    EXPECT_FALSE(
        HistoryHtmlWriter::writeAtomically(dir.filePath(QStringLiteral("missing/folder/x.html")), text));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing"))));
}

// Names reach the history as the file system has them: any character but "/" and NUL.
TEST(HistoryHtmlWriterTest, EveryExportIsWellFormedXml)
{
    const QString awkward = QStringLiteral("/home/a/\u0001\u0008\u000b\u000c\u001f\ufffe\uffff.txt") +
                            QChar(0xd800) + QStringLiteral("x") + QChar(0xdc00) +
                            QStringLiteral("\U0001F600\ttab\nline");
    const DoDataBase::RecordList records = {
        record(QStringLiteral("Items"), QStringLiteral("Erasure Algorithm"), QStringLiteral("Result")),
        record(awkward, QStringLiteral("DoD 5220.22-M ECE"), QStringLiteral("Erased")),
    };
    const QString html = HistoryHtmlWriter::htmlForRun(QStringLiteral("2026-12-08 09-15-40\u0002"), records);
    EXPECT_TRUE(
        html.contains(QStringLiteral("/home/a/\ufffd\ufffd\ufffd\ufffd\ufffd\ufffd\ufffd.txt\ufffdx\ufffd"
                                     "\U0001F600\ttab\nline")));
    EXPECT_TRUE(html.contains(QStringLiteral("09-15-40\ufffd</th>")));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ErasureHistory.html"));
    ASSERT_TRUE(HistoryHtmlWriter::writeAtomically(path, html));
    QProcess xmllint;
    xmllint.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--nonet"), path});
    ASSERT_TRUE(xmllint.waitForFinished(30000));
    EXPECT_EQ(xmllint.exitCode(), 0) << xmllint.readAllStandardError().constData();
}

TEST(HistoryHtmlWriterTest, ExportBelongsToThePersonAndNamesStayPrivate)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.html"));
    const bool root = ::geteuid() == 0;
    if (root) {
        qputenv("PKEXEC_UID", "65534");
        ASSERT_EQ(::chown(QFile::encodeName(dir.path()).constData(), 65534, 65534), 0);
    }
    EXPECT_TRUE(HistoryHtmlWriter::writeAtomically(path, QStringLiteral("<p/>")));
    const QString linked = dir.filePath(QStringLiteral("linked.html"));
    QFile::link(dir.filePath(QStringLiteral("elsewhere.html")), linked);
    const bool throughLink = HistoryHtmlWriter::writeAtomically(linked, QStringLiteral("<p/>"));
    qunsetenv("PKEXEC_UID");

    struct stat info
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    if (root) {
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_FALSE(throughLink);
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("elsewhere.html"))));
    }
}

TEST(HistoryHtmlWriterTest, ExportLandsOnlyWhereThePersonMayWrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root writes for someone else";
    // Folders of root's: its own private one, one the person may not write in, and one open to all
    // that lies inside the private one (root reaches it, the person does not).
    QTemporaryDir rootsOwn;
    const QString readable = rootsOwn.filePath(QStringLiteral("readable"));
    const QString openInside = rootsOwn.filePath(QStringLiteral("open"));
    ASSERT_TRUE(QDir().mkpath(readable) && QDir().mkpath(openInside));
    ::chmod(QFile::encodeName(readable).constData(), 0755);
    ::chmod(QFile::encodeName(openInside).constData(), 0777);
    qputenv("PKEXEC_UID", "65534");
    testsupport::LogCapture log;
    for (const QString &folder : {rootsOwn.path(), readable, openInside}) {
        const QString target = folder + QStringLiteral("/run.html");
        EXPECT_FALSE(HistoryHtmlWriter::writeAtomically(target, QStringLiteral("<p/>"))) << folder.toStdString();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 0) << folder.toStdString();
    }
    qunsetenv("PKEXEC_UID");
    EXPECT_TRUE(log.contains(QStringLiteral("Cannot write %1/run.html: Permission denied").arg(readable)));
}

} // namespace
