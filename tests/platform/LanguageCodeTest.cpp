#include "platform/LanguageCode.h"

#include <gtest/gtest.h>

TEST(LanguageCode, RegionalAndSystemCodesFindTheTablesLanguage)
{
    const QStringList table = {QStringLiteral("en"),         QStringLiteral("de"),
                               QStringLiteral("fr"),         QStringLiteral("zh-Hans-CN"),
                               QStringLiteral("zh-Hant-TW"), QStringLiteral("pt-BR"),
                               QStringLiteral("es-MX"),      QStringLiteral("es")};
    const std::vector<std::pair<const char *, const char *>> cases = {
        {"de", "de"},
        {"de-DE", "de"},
        {"de_CH.UTF-8", "de"},
        {"DE-at", "de"},
        {"fr-FR", "fr"},
        {"zh-CN", "zh-Hans-CN"},
        {"zh_SG", "zh-Hans-CN"},
        {"zh", "zh-Hans-CN"},
        {"zh-Hans", "zh-Hans-CN"},
        {"zh-TW", "zh-Hant-TW"},
        {"zh-HK", "zh-Hant-TW"},
        {"zh-Hant-MO", "zh-Hant-TW"},
        {"pt", "pt-BR"},
        {"pt-PT", "pt-BR"},
        {"es-AR", "es"},
        {"es-MX", "es-MX"},
        {"en-US", "en"},
        {"ja-JP", ""},
        {"", ""},
        {"C", ""},
    };
    for (const auto &[preferred, expected] : cases)
        EXPECT_EQ(LanguageCode::bestMatch(QLatin1String(preferred), table), QLatin1String(expected))
            << preferred;

    // Chinese never crosses scripts.
    EXPECT_TRUE(LanguageCode::bestMatch(QStringLiteral("zh-TW"), {QStringLiteral("zh-Hans-CN")}).isEmpty());
    EXPECT_TRUE(LanguageCode::bestMatch(QStringLiteral("zh-CN"), {QStringLiteral("zh-Hant-TW")}).isEmpty());
}
