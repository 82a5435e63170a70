#pragma once

#include <QString>
#include <QStringList>

// Language codes as desktops give them ("de-DE", "de_DE.UTF-8", "zh-Hans-CN") against the codes a
// table serves ("de", "zh-Hans-CN", "pt-BR").
class LanguageCode
{
public:
    LanguageCode() = delete;

    // The code of available that serves someone who prefers `preferred`: the same code (case and
    // "_" or "-" aside), else the table's code for the same language. Chinese goes by script
    // (traditional for an explicit Hant or for Taiwan, Hong Kong and Macau, simplified otherwise);
    // other languages by their first part, the plain language code before a regional one. Empty
    // when the table serves the language in no form.
    static QString bestMatch(const QString &preferred, const QStringList &available);
};
