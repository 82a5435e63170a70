// The launcher's choice of interface language over temporary settings lists: what it answers
// (the main program's one argument) and what it writes back.
#include "RunScript.h"

#include "common/TestSupport.h"
#include "common/ScopedOverride.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

class LanguageChoice : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(QFileInfo(m_settings).absolutePath());
    }

    void prefer(const QStringList &languages)
    {
        m_defaults.setObject(languages, QStringLiteral("AppleLanguages"));
    }

    void writeSettings(const QVariantMap &supported, const QVariantMap &extra = {})
    {
        QVariantMap settings = extra;
        settings.insert(QStringLiteral("PRODUCTNAME"), QStringLiteral(NULLWELL_PRODUCT));
        settings.insert(QStringLiteral("SupportLanguage"), supported);
        ASSERT_TRUE(PropertyList::write(m_settings, settings));
    }

    QVariantMap settings() const { return PropertyList::readDictionary(m_settings).value_or(QVariantMap()); }
    // The choice is the person's: kept with their defaults, never in the bundle's list.
    QVariant curLanguage() const { return m_defaults.objectForKey(QStringLiteral("CurLanguage")); }
    void forgetChoice() { m_defaults.removeObjectForKey(QStringLiteral("CurLanguage")); }

    QByteArray bytes() const
    {
        QFile file(m_settings);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    testsupport::TempBundle m_bundle{QStringLiteral("Outer.app")};
    QString m_settings =
        m_bundle.bundlePath() +
        QStringLiteral("/Contents/MacOS/" NULLWELL_PRODUCT ".app/Contents/Resources/StringMessage.plist");
    QTemporaryDir m_home;
    UserDefaults m_defaults{m_home.filePath(QStringLiteral("defaults.conf"))};
    testsupport::ScopedOverride<UserDefaults *> m_standard{&UserDefaults::setStandardOverride, &m_defaults,
                                                           &UserDefaults::standard()};
    const QVariantMap m_shipped{{QStringLiteral("English"), QStringLiteral("en")},
                                {QStringLiteral("Deutsch"), QStringLiteral("de")},
                                {QStringLiteral("Traditional"), QStringLiteral("zh-Hant-TW")}};
};

} // namespace

TEST_F(LanguageChoice, FirstStartStoresTheNameOfTheMatchingEntry)
{
    writeSettings(m_shipped);
    const QByteArray list = bytes();
    prefer({QStringLiteral("de"), QStringLiteral("en")});
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("de"));
    EXPECT_EQ(curLanguage().toString(), QStringLiteral("Deutsch"));
    EXPECT_EQ(bytes(), list) << "the list in the bundle is only read";

    // Later starts keep that choice whatever the preference says now.
    prefer({QStringLiteral("xx")});
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("de"));
}

TEST_F(LanguageChoice, FirstStartMappingAndFallbacks)
{
    struct Case
    {
        QString preferred;
        QString answer;
        QVariant stored;
    };
    const QVariantMap noTraditional{{QStringLiteral("English"), QStringLiteral("en")}};
    const std::vector<Case> cases = {
        // Unknown and not remapped: English is stored, "en" passed.
        {QStringLiteral("xx"), QStringLiteral("en"), QStringLiteral("English")},
        // The rows of the table, and their exactness.
        {QStringLiteral("zh-HK"), QStringLiteral("zh-Hant-TW"), QVariant()},
        {QStringLiteral("zh-Hans"), QStringLiteral("zh-Hans-CN"), QVariant()},
        {QStringLiteral("pt"), QStringLiteral("pt-BR"), QVariant()},
        {QStringLiteral("pt-PT"), QStringLiteral("en"), QStringLiteral("English")},
        {QStringLiteral("zh-Hans-CN"), QStringLiteral("en"), QStringLiteral("English")},
    };
    for (const Case &c : cases) {
        writeSettings(noTraditional);
        forgetChoice();
        prefer({c.preferred});
        EXPECT_EQ(RunScript::GetCurrentLanaguage(), c.answer) << c.preferred.toStdString();
        EXPECT_EQ(curLanguage(), c.stored) << c.preferred.toStdString();
    }

    for (const QString &traditional :
         {QStringLiteral("zh-Hant"), QStringLiteral("zh-MO"), QStringLiteral("zh-TW")}) {
        writeSettings(m_shipped);
        forgetChoice();
        prefer({traditional});
        EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("zh-Hant-TW"));
        EXPECT_EQ(curLanguage().toString(), QStringLiteral("Traditional"));
    }
}

TEST_F(LanguageChoice, EnglishIsAlwaysStoredAsEnglish)
{
    writeSettings({{QStringLiteral("Anglais"), QStringLiteral("en")}});
    prefer({QStringLiteral("en")});
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("en"));
    EXPECT_EQ(curLanguage().toString(), QStringLiteral("English"));
}

TEST_F(LanguageChoice, StoredChoiceOrMarkerIsReadWithoutWriting)
{
    writeSettings(m_shipped, {{QStringLiteral("CurLanguage"), QStringLiteral("Klingon")}});
    const QByteArray before = bytes();
    prefer({QStringLiteral("fr")});
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("en"));
    prefer({QStringLiteral("pt")});
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("pt-BR"));
    EXPECT_EQ(bytes(), before);
    EXPECT_FALSE(curLanguage().isValid());

    // The person's own choice comes before one in the list.
    m_defaults.setObject(QStringLiteral("Deutsch"), QStringLiteral("CurLanguage"));
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("de"));
    forgetChoice();

    writeSettings(m_shipped, {{QStringLiteral("Zelto"), true},
                              {QStringLiteral("CurLanguage"), QStringLiteral("Deutsch")}});
    const QByteArray marked = bytes();
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("ja"));
    EXPECT_EQ(bytes(), marked);
    // Its presence is what counts, not its value; even a first start writes nothing.
    writeSettings(m_shipped, {{QStringLiteral("Zelto"), QString()}});
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("ja"));
    EXPECT_FALSE(curLanguage().isValid());
}

TEST_F(LanguageChoice, MissingOrBrokenListIsNeverWritten)
{
    prefer({QStringLiteral("de")});
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("en"));
    EXPECT_FALSE(QFileInfo::exists(m_settings));

    QFile broken(m_settings);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<?xml version=\"1.0\"?><plist><dict><key>half");
    broken.close();
    const QByteArray before = bytes();
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("en"));
    EXPECT_EQ(bytes(), before) << "a broken list must not be replaced by a one-key list";
}

TEST_F(LanguageChoice, BinaryListIsReadAsWell)
{
    QVariantMap settings{{QStringLiteral("SupportLanguage"), m_shipped}};
    ASSERT_TRUE(PropertyList::write(m_settings, settings, PropertyList::Format::Binary));
    const QByteArray before = bytes();
    prefer({QStringLiteral("de")});
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("de"));
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(curLanguage().toString(), QStringLiteral("Deutsch"));
}

// Desktops name the region too ("de-DE", "zh-CN", POSIX "de_AT.UTF-8"); the table serves languages,
// with its own entries for the Chinese scripts and for Portuguese.
TEST_F(LanguageChoice, RegionalCodesFindTheirLanguage)
{
    const QVariantMap table{{QStringLiteral("English"), QStringLiteral("en")},
                            {QStringLiteral("Deutsch"), QStringLiteral("de")},
                            {QStringLiteral("Fran\u00e7ais"), QStringLiteral("fr")},
                            {QStringLiteral("Simplified"), QStringLiteral("zh-Hans-CN")},
                            {QStringLiteral("Traditional"), QStringLiteral("zh-Hant-TW")},
                            {QStringLiteral("Portugu\u00eas"), QStringLiteral("pt-BR")}};
    const std::vector<std::pair<QString, QString>> cases = {
        {QStringLiteral("de-DE"), QStringLiteral("de")},
        {QStringLiteral("de_AT.UTF-8"), QStringLiteral("de")},
        {QStringLiteral("fr-FR"), QStringLiteral("fr")},
        {QStringLiteral("fr-CA"), QStringLiteral("fr")},
        {QStringLiteral("zh-CN"), QStringLiteral("zh-Hans-CN")},
        {QStringLiteral("zh-SG"), QStringLiteral("zh-Hans-CN")},
        {QStringLiteral("zh-Hans-CN"), QStringLiteral("zh-Hans-CN")},
        {QStringLiteral("zh-HK"), QStringLiteral("zh-Hant-TW")},
        {QStringLiteral("zh-Hant-HK"), QStringLiteral("zh-Hant-TW")},
        {QStringLiteral("pt-PT"), QStringLiteral("pt-BR")},
        {QStringLiteral("pt-BR"), QStringLiteral("pt-BR")},
        {QStringLiteral("en-GB"), QStringLiteral("en")},
        {QStringLiteral("es-ES"), QStringLiteral("en")},
        {QStringLiteral("sr-Latn-RS"), QStringLiteral("en")},
    };
    for (const auto &[preferred, code] : cases) {
        writeSettings(table);
        forgetChoice();
        prefer({preferred});
        EXPECT_EQ(RunScript::GetCurrentLanaguage(), code) << preferred.toStdString();
        const QString name = table.key(code, QStringLiteral("English"));
        EXPECT_EQ(curLanguage().toString(), name) << preferred.toStdString();
    }
}

TEST_F(LanguageChoice, ChoiceThatCannotBeKeptIsReported)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    UserDefaults unwritable(dir.filePath(QStringLiteral("file/ostrivan-nullwell/defaults.conf")));
    testsupport::ScopedOverride standard(&UserDefaults::setStandardOverride, &unwritable, &m_defaults);
    unwritable.setObject(QStringList{QStringLiteral("de")}, QStringLiteral("AppleLanguages"));
    writeSettings(m_shipped);
    testsupport::LogCapture log;
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("de"));
    EXPECT_TRUE(
        log.contains(QStringLiteral("Cannot keep the language choice Deutsch in ") + unwritable.filePath()));
}

// An empty (or otherwise unpassable) code would reach the main program as a missing argument:
// it would hand back to the launcher and the password prompt would come back for ever.
TEST_F(LanguageChoice, CodeIsNeverEmpty)
{
    const QVariantMap unusable{{QStringLiteral("Empty"), QString()},
                               {QStringLiteral("Accented"), QStringLiteral("fr\u00e9")},
                               {QStringLiteral("Number"), 7}};
    writeSettings(unusable, {{QStringLiteral("CurLanguage"), QStringLiteral("Empty")}});
    prefer({QStringLiteral("de")});
    EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("en"));

    writeSettings(unusable);
    for (const QString &preferred : {QString(), QStringLiteral("fr\u00e9")}) {
        forgetChoice();
        prefer({preferred});
        EXPECT_EQ(RunScript::GetCurrentLanaguage(), QStringLiteral("en"));
        EXPECT_EQ(curLanguage().toString(), QStringLiteral("English"));
        writeSettings(unusable);
    }
}

TEST(ShippedSettings, EveryLanguageCodeCanBePassed)
{
    const auto settings =
        PropertyList::readDictionary(QStringLiteral(NULLWELL_SOURCE_DIR "/Resources/StringMessage.plist"));
    ASSERT_TRUE(settings.has_value());
    const QVariantMap supported = settings->value(QStringLiteral("SupportLanguage")).toMap();
    EXPECT_EQ(supported.value(QStringLiteral("English")).toString(), QStringLiteral("en"));
    for (auto it = supported.cbegin(); it != supported.cend(); ++it) {
        const QString code = it.value().toString();
        EXPECT_FALSE(code.isEmpty()) << it.key().toStdString();
        EXPECT_EQ(code.toLatin1(), code.toUtf8()) << it.key().toStdString();
        // Each shipped language has its own links.
        EXPECT_TRUE(settings->value(code).toMap().contains(QStringLiteral("OnlineHelp")))
            << code.toStdString();
    }
    EXPECT_FALSE(settings->contains(QStringLiteral("CurLanguage")))
        << "the choice is the user's, made at first start";
    EXPECT_FALSE(settings->contains(QStringLiteral("Zelto")));
}
