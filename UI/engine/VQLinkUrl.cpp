#include "VQLinkUrl.h"

#include "VQPublicUtilities.h"
#include "platform/LanguageCode.h"
#include "platform/UserDefaults.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// The codes the list has link dictionaries for ("en", "de", "zh-Hans-CN"); other keys of the list
// ("SupportLanguage") are not languages.
QStringList linkLanguages(const QVariantMap &settings)
{
    static const QRegularExpression code(
        QRegularExpression::anchoredPattern(QStringLiteral("[a-z]{2,3}([-_][A-Za-z0-9]{2,8})*")));
    QStringList codes;
    for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
        if (it.value().typeId() == QMetaType::QVariantMap && code.match(it.key()).hasMatch())
            codes.append(it.key());
    }
    return codes;
}

} // namespace

QString VQLinkUrl::currentLanguage()
{
    const QStringList languages =
        UserDefaults::standard().stringArrayForKey(QStringLiteral("AppleLanguages"));
    if (languages.isEmpty())
        return QStringLiteral("en");
    // As the system spells it ("de-DE", "zh-Hans", "pt-BR"); GetUrl finds the dictionary for it.
    return languages.first();
}

QString VQLinkUrl::GetUrl(const QString &key)
{
    const std::optional<QVariantMap> settings = VQPublicUtilities::readStringMessage();
    if (!settings)
        return QString();
    const QString language = currentLanguage();
    const QVariantMap english = settings->value(QStringLiteral("en")).toMap();
    // A regional code the list has no dictionary for uses the one of its language.
    const QVariantMap local =
        settings->value(LanguageCode::bestMatch(language, linkLanguages(*settings))).toMap();

    QString fallback;
    if (english.contains(key))
        fallback = english.value(key).toString();
    // An empty entry means "not translated yet", so it falls back like a missing one.
    if (local.contains(key)) {
        const QString value = local.value(key).toString();
        if (!value.isEmpty())
            return value;
    }
    return fallback;
}
