#include "VQLinkUrl.h"

#include "VQPublicUtilities.h"
#include "platform/UserDefaults.h"

#include <QStringList>

QString VQLinkUrl::currentLanguage()
{
    const QStringList languages = UserDefaults::standard().stringArrayForKey(QStringLiteral("AppleLanguages"));
    if (languages.isEmpty())
        return QStringLiteral("en");
    // Used as the system spells it ("zh-Hans", "pt-BR"): the list carries one dictionary per code.
    return languages.first();
}

QString VQLinkUrl::GetUrl(const QString &key)
{
    const std::optional<QVariantMap> settings = VQPublicUtilities::readStringMessage();
    if (!settings)
        return QString();
    const QString language = currentLanguage();
    const QVariantMap english = settings->value(QStringLiteral("en")).toMap();
    const QVariantMap local = settings->value(language).toMap();

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
