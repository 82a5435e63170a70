// Checks the tree the build lays out: both programs do path arithmetic on it.
#include "platform/Bundle.h"
#include "platform/PropertyList.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

QString outer()
{
    return QStringLiteral(NULLWELL_OUTER_BUNDLE);
}

QString inner()
{
    return outer() + QStringLiteral("/Contents/MacOS/" NULLWELL_PRODUCT ".app");
}

} // namespace

TEST(BuiltBundle, HasTheNestedLayout)
{
    const QString launcher = outer() + QStringLiteral("/Contents/MacOS/" NULLWELL_LAUNCHER_NAME);
    const QString mainProgram = inner() + QStringLiteral("/Contents/MacOS/" NULLWELL_PRODUCT);
    EXPECT_TRUE(QFileInfo(launcher).isExecutable()) << launcher.toStdString();
    if (NULLWELL_HAVE_MAIN_PROGRAM) {
        EXPECT_TRUE(QFileInfo(mainProgram).isExecutable()) << mainProgram.toStdString();
    }
    EXPECT_EQ(Bundle::bundlePathForExecutable(mainProgram), inner());
    EXPECT_EQ(Bundle::bundlePathForExecutable(launcher), outer());

    const Bundle bundle(inner());
    EXPECT_TRUE(QFileInfo(bundle.pathForResource(QStringLiteral("srm"), QString())).isExecutable());
    EXPECT_FALSE(bundle.pathForResource(QStringLiteral("DataBase.db")).isEmpty());
    const auto settings =
        PropertyList::readDictionary(bundle.pathForResource(QStringLiteral("StringMessage"), QStringLiteral("plist")));
    ASSERT_TRUE(settings.has_value());
    EXPECT_FALSE(settings->value(QStringLiteral("PRODUCTNAME")).toString().isEmpty());
    EXPECT_TRUE(settings->value(QStringLiteral("VersionCheck")).isValid());
    EXPECT_EQ(settings->value(QStringLiteral("en")).typeId(), QMetaType::QVariantMap);
}

TEST(BuiltBundle, DatabaseShipsPrivateWithBothTablesAndNoRows)
{
    // The bundle's copy may already hold runs of the program tried from the build folder; the
    // pristine one is what installs ship.
    const QString path = QStringLiteral(NULLWELL_PRISTINE_DATABASE);
    for (const QString &database : {Bundle(inner()).pathForResource(QStringLiteral("DataBase.db")), path}) {
        struct stat status = {};
        ASSERT_EQ(::lstat(database.toLocal8Bit().constData(), &status), 0) << database.toStdString();
        EXPECT_EQ(status.st_mode & 07777, 0600u) << "the history is its owner's alone";
    }
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    auto scalar = [db](const char *sql) {
        sqlite3_stmt *statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), SQLITE_OK) << sql;
        QString value;
        if (statement && sqlite3_step(statement) == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        return value;
    };
    EXPECT_EQ(scalar("SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE type='table' "
                     "ORDER BY name)"),
              QStringLiteral("BaseTable,TimeBase"));
    EXPECT_EQ(scalar("SELECT group_concat(name) FROM pragma_table_info('BaseTable')"),
              QStringLiteral("Itmes,ErasureAlgorithm,Result,Time"));
    EXPECT_EQ(scalar("SELECT group_concat(name) FROM pragma_table_info('TimeBase')"), QStringLiteral("Time"));
    EXPECT_EQ(scalar("SELECT count(*) FROM sqlite_master WHERE type='index' AND tbl_name='BaseTable'"),
              QStringLiteral("1"));
    EXPECT_EQ(scalar("SELECT (SELECT count(*) FROM TimeBase) + (SELECT count(*) FROM BaseTable)"),
              QStringLiteral("0"));
    sqlite3_close(db);
}
