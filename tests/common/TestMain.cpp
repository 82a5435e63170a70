#include <gtest/gtest.h>

#ifdef NULLWELL_TEST_GUI
#include <QApplication>
#else
#include <QCoreApplication>
#endif

#include "platform/UserDefaults.h"

#include <QTemporaryDir>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
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
