#pragma once

#include <QString>

// Web addresses by link key ("UserGuide", "IniURL", ...) in the user's language, from the
// per-language dictionaries of the settings list, falling back to English. A code the list has no
// dictionary for ("de-DE") uses the one of its language ("de"; Chinese by script, LanguageCode).
class VQLinkUrl
{
public:
    VQLinkUrl() = delete;

    // The address for the key, or a null text when neither the language nor "en" has one.
    static QString GetUrl(const QString &key);
    // The language the lookup uses: the first preferred language exactly as given, else "en".
    static QString currentLanguage();
};
