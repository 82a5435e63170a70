#include <gtest/gtest.h>

#ifdef NULLWELL_TEST_GUI
#include <QApplication>
#else
#include <QCoreApplication>
#endif

#include "platform/UserDefaults.h"

#include <QFile>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Each test process keeps its own configuration folder: what Qt itself remembers (file dialogs'
    // history) neither leaks into the account running the tests nor races with tests run alongside.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
#ifdef NULLWELL_TEST_GUI
    // Tests never need a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    // No test may touch the real user's defaults.
    QTemporaryDir home;
    UserDefaults defaults(home.filePath(QStringLiteral("defaults.conf")));
    UserDefaults::setStandardOverride(&defaults);
    const int result = RUN_ALL_TESTS();
    UserDefaults::setStandardOverride(nullptr);
    return result;
}
