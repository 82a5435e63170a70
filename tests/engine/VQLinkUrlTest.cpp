#include "VQLinkUrl.h"

#include "common/TestSupport.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

namespace {

const QString kLanguages = QStringLiteral("AppleLanguages");

class VQLinkUrlTest : public ::testing::Test
{
protected:
    void TearDown() override { UserDefaults::standard().removeObjectForKey(kLanguages); }

    void setLanguages(const QStringList &languages)
    {
        UserDefaults::standard().setObject(languages, kLanguages);
    }
    void writeSettings(const QVariantMap &settings)
    {
        ASSERT_TRUE(
            PropertyList::write(m_bundle.resourcePath() + QStringLiteral("/StringMessage.plist"), settings));
    }

    testsupport::TempBundle m_bundle;
};

const QVariantMap kEnglish{{QStringLiteral("UserGuide"), QStringLiteral("https://en.example/guide")},
                           {QStringLiteral("AboutURL"), QStringLiteral("https://en.example/about")}};

} // namespace

TEST_F(VQLinkUrlTest, UsesTheFirstPreferredLanguageExactlyAsGiven)
{
    writeSettings({{QStringLiteral("en"), kEnglish},
                   {QStringLiteral("zh-Hans"),
                    QVariantMap{{QStringLiteral("UserGuide"), QStringLiteral("https://zh.example/guide")}}},
                   {QStringLiteral("zh"),
                    QVariantMap{{QStringLiteral("UserGuide"), QStringLiteral("https://wrong.example/")}}}});
    setLanguages({QStringLiteral("zh-Hans"), QStringLiteral("en")});
    EXPECT_EQ(VQLinkUrl::currentLanguage(), QStringLiteral("zh-Hans"));
    EXPECT_EQ(VQLinkUrl::GetUrl(QStringLiteral("UserGuide")), QStringLiteral("https://zh.example/guide"));
    // A key the language lacks comes from English.
    EXPECT_EQ(VQLinkUrl::GetUrl(QStringLiteral("AboutURL")), QStringLiteral("https://en.example/about"));
    EXPECT_TRUE(VQLinkUrl::GetUrl(QStringLiteral("NoSuchKey")).isNull());
}

TEST_F(VQLinkUrlTest, FallsBackToEnglish)
{
    writeSettings({{QStringLiteral("en"), kEnglish},
                   {QStringLiteral("de"), QVariantMap{{QStringLiteral("UserGuide"), QString()}}}});
    // No dictionary for the language.
    setLanguages({QStringLiteral("fr-CA")});
    EXPECT_EQ(VQLinkUrl::GetUrl(QStringLiteral("UserGuide")), QStringLiteral("https://en.example/guide"));
    // The language maps the key to the empty text.
    setLanguages({QStringLiteral("de")});
    EXPECT_EQ(VQLinkUrl::GetUrl(QStringLiteral("UserGuide")), QStringLiteral("https://en.example/guide"));
    // No preferred language at all counts as English.
    setLanguages({});
    EXPECT_EQ(VQLinkUrl::currentLanguage(), QStringLiteral("en"));
    EXPECT_EQ(VQLinkUrl::GetUrl(QStringLiteral("AboutURL")), QStringLiteral("https://en.example/about"));
}

TEST_F(VQLinkUrlTest, WithoutEnglishOrSettingsThereIsNothing)
{
    writeSettings({{QStringLiteral("de"),
                    QVariantMap{{QStringLiteral("UserGuide"), QString()},
                                {QStringLiteral("AboutURL"), QStringLiteral("https://de.example/")}}}});
    setLanguages({QStringLiteral("fr")});
    EXPECT_TRUE(VQLinkUrl::GetUrl(QStringLiteral("AboutURL")).isNull());
    setLanguages({QStringLiteral("de")});
    EXPECT_TRUE(VQLinkUrl::GetUrl(QStringLiteral("UserGuide")).isEmpty());
    EXPECT_EQ(VQLinkUrl::GetUrl(QStringLiteral("AboutURL")), QStringLiteral("https://de.example/"));

    m_bundle.writeResource(QStringLiteral("StringMessage.plist"), "not a property list");
    EXPECT_TRUE(VQLinkUrl::GetUrl(QStringLiteral("AboutURL")).isNull());
}

TEST_F(VQLinkUrlTest, RegionalCodesUseTheirLanguagesLinks)
{
    const QVariantMap german{{QStringLiteral("UserGuide"), QStringLiteral("https://de.example/guide")}};
    const QVariantMap simplified{{QStringLiteral("UserGuide"), QStringLiteral("https://zh.example/guide")}};
    writeSettings({{QStringLiteral("en"), kEnglish},
                   {QStringLiteral("de"), german},
                   {QStringLiteral("zh-Hans-CN"), simplified},
                   {QStringLiteral("SupportLanguage"),
                    QVariantMap{{QStringLiteral("Deutsch"), QStringLiteral("de")}}}});
    for (const char *code : {"de-DE", "de-AT", "de_DE.UTF-8"}) {
        setLanguages({QLatin1String(code)});
        EXPECT_EQ(VQLinkUrl::GetUrl(QStringLiteral("UserGuide")), QStringLiteral("https://de.example/guide"))
            << code;
    }
    setLanguages({QStringLiteral("zh-CN")});
    EXPECT_EQ(VQLinkUrl::GetUrl(QStringLiteral("UserGuide")), QStringLiteral("https://zh.example/guide"));
    setLanguages({QStringLiteral("zh-TW")});
    EXPECT_EQ(VQLinkUrl::GetUrl(QStringLiteral("UserGuide")), QStringLiteral("https://en.example/guide"));
    setLanguages({QStringLiteral("fr-FR")});
    EXPECT_EQ(VQLinkUrl::GetUrl(QStringLiteral("UserGuide")), QStringLiteral("https://en.example/guide"));
}
