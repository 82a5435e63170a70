#include "HistoryHtmlWriter.h"

#include "platform/UserFile.h"

#include <QFileInfo>
#include <QStringList>

namespace {

QString blanks(int count)
{
    return QString(count, QLatin1Char(' '));
}

// Characters XML does not allow at all (most C0 controls, U+FFFE, U+FFFF and halves of surrogate
// pairs standing alone) cannot even be escaped: each becomes U+FFFD, so every page stays readable.
QString withoutForbiddenCharacters(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(text.at(i));
            out.append(text.at(++i));
            continue;
        }
        const bool allowed = (c >= 0x20 || c == 0x09 || c == 0x0a || c == 0x0d) && !QChar::isSurrogate(c) &&
                             c != 0xfffe && c != 0xffff;
        out.append(allowed ? QChar(c) : QChar(QChar::ReplacementCharacter));
    }
    return out;
}

QString escaped(const QString &text)
{
    return withoutForbiddenCharacters(text).toHtmlEscaped().replace(QLatin1Char('\''),
                                                                    QLatin1String("&#39;"));
}

QString cell(const DoDataBase::Record &record, const QString &key)
{
    return QStringLiteral("<td>%1</td>").arg(escaped(record.value(key).toString()));
}

} // namespace

QString HistoryHtmlWriter::head()
{
    static const QStringList pieces = {
        QStringLiteral("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                       "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">"),
        QStringLiteral("<html xmlns=\"http://www.w3.org/1999/xhtml\">"),
        QStringLiteral("<head>"),
        QStringLiteral(
            "<meta content=\"initial-scale=1.0,user-scalable=no,maximum-scale=1,width=device-width\" "
            "name=\"viewport\" />"),
        QStringLiteral("<meta content=\"telephone=no\" name=\"format-detection\" />"),
        QStringLiteral("<meta content=\"black\" name=\"apple-mobile-web-app-status-bar-style\" />"),
        QStringLiteral("<meta content=\"yes\" name=\"apple-mobile-web-app-capable\" />"),
        QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />"),
        QStringLiteral("<title>Erasure History</title>"),
        QStringLiteral("<style>"),
        QStringLiteral(
            "table,table tr th, table tr td { border:1px solid #2A304E; font-family:Segoe,  \"Segoe UI \","
            "  \"DejaVu Sans \",  \"Trebuchet MS \", Verdana, sans-serif; }"),
        QStringLiteral(
            "table { width: 800px; min-height: 25px; line-height: 25px; border-collapse: collapse; "
            "margin:0 auto; font-size:12px; color:#2A304E;}"),
        QStringLiteral("td { padding:4px 12px;}"),
        QStringLiteral("th { padding:4px 12px; background-color:#767C9A; color:#fff;}"),
        QStringLiteral(".title { background-color:#7FCFDC; text-align:center; color:#fff;}"),
        QStringLiteral("</style>"),
        QStringLiteral("</head>"),
        QStringLiteral("<body>"),
        QStringLiteral("<!-- toplink -->"),
        QStringLiteral("<table width=\"200\" border=\"1\">"),
    };
    return pieces.join(blanks(5));
}

QString HistoryHtmlWriter::runRow(const QString &runKey)
{
    return QStringLiteral("<tr>") + blanks(24) +
           QStringLiteral("<th colspan=\"3\">%1</th>").arg(escaped(runKey)) + blanks(25) +
           QStringLiteral("</tr>");
}

QString HistoryHtmlWriter::recordRow(const DoDataBase::Record &record)
{
    const bool isHeader = record.value(DoDataBase::kItemsKey).toString() == QLatin1String("Items");
    QString row = isHeader ? QStringLiteral("<tr class=\"title\">") : QStringLiteral("<tr>");
    row += blanks(32) + cell(record, DoDataBase::kItemsKey);
    row += blanks(33) + cell(record, DoDataBase::kErasureAlgorithmKey);
    row += blanks(33) + cell(record, DoDataBase::kResultKey);
    return row + blanks(33) + QStringLiteral("</tr>");
}

QString HistoryHtmlWriter::tail()
{
    return QStringLiteral("</table>") + blanks(5) + QStringLiteral("</body>") + blanks(6) +
           QStringLiteral("</html>");
}

QString HistoryHtmlWriter::htmlForRun(const QString &runKey, const DoDataBase::RecordList &records)
{
    QString html = head() + runRow(runKey);
    for (const DoDataBase::Record &record : records)
        html += recordRow(record);
    return html + tail();
}

bool HistoryHtmlWriter::writeAtomically(const QString &path, const QString &text)
{
    // The page names erased files: it is the person's, readable by them alone.
    UserFile::Options options;
    options.mode = 0600;
    options.withOwnersRights = true;
    return UserFile::writeAtomically(QFileInfo(path).absoluteFilePath(), text.toUtf8(), options);
}
