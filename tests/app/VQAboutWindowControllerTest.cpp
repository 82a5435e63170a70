#include "VQAboutWindowController.h"

#include "ApplicationModal.h"
#include "DialogTestSupport.h"
#include "TCImageWindow.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

namespace {

class LanguageScope
{
public:
    explicit LanguageScope(const QStringList &languages)
    {
        UserDefaults::standard().setObject(languages, QStringLiteral("AppleLanguages"));
    }
    ~LanguageScope() { UserDefaults::standard().removeObjectForKey(QStringLiteral("AppleLanguages")); }
};

} // namespace

TEST(VQAboutWindowController, CloseButtonEndsAtOnceWithoutAFade)
{
    dialogtest::DialogBundle bundle;
    VQAboutWindowController controller;
    TCImageWindow *window = controller.loadWindow();
    EXPECT_EQ(window->width(), 400);
    EXPECT_TRUE(window->isMovableByWindowBackground());
    EXPECT_EQ(controller.titleLabel()->text(), QStringLiteral("Ostrivan Nullwell"));
    EXPECT_EQ(controller.versionLabel()->text(), QStringLiteral("Build 100"));

    qreal opacityAtClose = -1;
    QTimer::singleShot(0, [&] {
        window->setWindowOpacity(1.0);
        window->standardWindowButton(TCImageWindow::CloseButton)->click();
        opacityAtClose = window->windowOpacity();
    });
    controller.runModal();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(opacityAtClose, 1.0);
    EXPECT_FALSE(ApplicationModal::isRunningModal());
}

TEST(VQAboutWindowController, CloseThroughTheShouldCloseCheckFadesOutBeforeTheRunEnds)
{
    dialogtest::DialogBundle bundle;
    VQAboutWindowController controller;
    TCImageWindow *window = controller.loadWindow();
    bool visibleRightAfterClose = false;
    QTimer::singleShot(0, [&] {
        window->performClose();
        visibleRightAfterClose = window->isVisible();
    });
    controller.runModal(); // returns at the end of the fade-out
    EXPECT_TRUE(visibleRightAfterClose);
    EXPECT_EQ(window->windowOpacity(), 0.0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(ApplicationModal::isRunningModal());
}

TEST(VQAboutWindowController, LinkOpensTheAddressOfTheFirstLanguageElseEnglish)
{
    dialogtest::DialogBundle bundle;
    dialogtest::RecordingWorkspace workspace;
    VQAboutWindowController controller;
    controller.loadWindow();
    {
        LanguageScope german({QStringLiteral("de"), QStringLiteral("en")});
        controller.aboutlink()->click();
    }
    {
        LanguageScope french({QStringLiteral("fr")});
        controller.linkButtonAction();
    }
    EXPECT_EQ(workspace.urls, (QStringList{QStringLiteral("https://example.test/de/about"),
                                           QStringLiteral("https://example.test/about")}));

    QVariantMap noAddress = dialogtest::settingsList();
    noAddress.remove(QStringLiteral("en"));
    noAddress.remove(QStringLiteral("de"));
    bundle.writeSettings(noAddress);
    controller.linkButtonAction();
    EXPECT_EQ(workspace.urls.size(), 2) << "no address, no browser";
}

TEST(VQAboutWindowController, Preview)
{
    dialogtest::DialogBundle bundle;
    VQAboutWindowController controller;
    dialogtest::savePreview(controller.loadWindow(), QStringLiteral("about"));
}

TEST(VQAboutWindowController, EscapeClosesAtOnceReturnOpensNothingAndItCannotBeMinimised)
{
    dialogtest::DialogBundle bundle;
    dialogtest::RecordingWorkspace workspace;
    VQAboutWindowController controller;
    TCImageWindow *window = controller.loadWindow();
    EXPECT_TRUE(window->standardWindowButton(TCImageWindow::MinimizeButton)->isHidden());
    EXPECT_TRUE(window->standardWindowButton(TCImageWindow::ZoomButton)->isHidden());
    bool visibleAfterReturn = false;
    QTimer::singleShot(0, [&] {
        QTest::keyClick(window, Qt::Key_Return);
        visibleAfterReturn = window->isVisible();
        QTest::keyClick(window, Qt::Key_Escape);
    });
    controller.runModal();
    EXPECT_TRUE(visibleAfterReturn);
    EXPECT_TRUE(workspace.urls.isEmpty());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(ApplicationModal::isRunningModal());
}
