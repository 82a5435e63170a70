#include "platform/LanguageCode.h"

namespace {

// Lower-case subtags: "de_DE.UTF-8@euro" gives de, de.
QStringList subtags(const QString &code)
{
    QString text = code.trimmed().toLower();
    for (const QChar cut : {QLatin1Char('.'), QLatin1Char('@')}) {
        const qsizetype at = text.indexOf(cut);
        if (at >= 0)
            text.truncate(at);
    }
    text.replace(QLatin1Char('_'), QLatin1Char('-'));
    return text.split(QLatin1Char('-'), Qt::SkipEmptyParts);
}

bool isTraditionalChinese(const QStringList &tags)
{
    if (tags.contains(QLatin1String("hant")))
        return true;
    if (tags.contains(QLatin1String("hans")))
        return false;
    return tags.contains(QLatin1String("tw")) || tags.contains(QLatin1String("hk")) ||
           tags.contains(QLatin1String("mo"));
}

} // namespace

QString LanguageCode::bestMatch(const QString &preferred, const QStringList &available)
{
    const QStringList wanted = subtags(preferred);
    if (wanted.isEmpty())
        return QString();
    for (const QString &code : available) {
        if (subtags(code) == wanted)
            return code;
    }
    const QString &language = wanted.constFirst();
    QString sameLanguage;
    for (const QString &code : available) {
        const QStringList tags = subtags(code);
        if (tags.isEmpty() || tags.constFirst() != language)
            continue;
        if (language == QLatin1String("zh") && isTraditionalChinese(tags) != isTraditionalChinese(wanted))
            continue;
        if (tags.size() == 1)
            return code;
        if (sameLanguage.isEmpty())
            sameLanguage = code;
    }
    return sameLanguage;
}
