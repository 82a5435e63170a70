// Shows an image window on a real X server and checks, through the server itself, that it is
// mapped, moves when its title bar is dragged and goes away when its close button is clicked.
// Run by run-under-xvfb.sh; exit status 0 means every check passed.
#include "TCImageWindow.h"
#include "TCWindowButton.h"

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>
#include <cstdio>

namespace {

int failures = 0;

void check(bool ok, const char *what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok)
        ++failures;
}

// What the X server reports for the window: absolute position and map state.
struct ServerView
{
    QPoint position;
    bool mapped = false;
};

ServerView askServer(const QWidget &window)
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window.winId())});
    xwininfo.waitForFinished(5000);
    const QString out = QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
    ServerView view;
    const auto x = QRegularExpression(QStringLiteral("Absolute upper-left X:\\s+(-?\\d+)")).match(out);
    const auto y = QRegularExpression(QStringLiteral("Absolute upper-left Y:\\s+(-?\\d+)")).match(out);
    view.position = QPoint(x.captured(1).toInt(), y.captured(1).toInt());
    view.mapped = out.contains(QStringLiteral("IsViewable"));
    return view;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::printf("skipped: needs an X server (platform %s)\n", qPrintable(QGuiApplication::platformName()));
        return 77;
    }

    TCImageWindow window(QSize(420, 200));
    window.setTitle(QStringLiteral("Window chrome check"));
    window.move(100, 120);
    window.show();
    check(QTest::qWaitForWindowExposed(&window), "the window is exposed");
    QTest::qWait(200);
    ServerView before = askServer(window);
    check(before.mapped, "the X server shows the window");
    // Xvfb runs no compositing manager: the rounded corners must come from a window mask.
    check(window.usesWindowMask() && !window.mask().isEmpty(), "without a compositor the corners are masked");

    // Drag the title bar 60 right and 40 down.
    QWindow *surface = window.windowHandle();
    const QPoint grip(200, 10);
    QTest::mousePress(surface, Qt::LeftButton, {}, grip);
    for (int step = 1; step <= 4; ++step) {
        // Positions are in the window, which follows the pointer: each step is 15 right, 10 down.
        QTest::mouseMove(surface, grip + QPoint(15, 10));
        QTest::qWait(30);
    }
    QTest::mouseRelease(surface, Qt::LeftButton, {}, grip);
    QTest::qWait(300);
    const ServerView after = askServer(window);
    std::printf("window moved from (%d, %d) to (%d, %d)\n", before.position.x(), before.position.y(),
                after.position.x(), after.position.y());
    check(after.position == before.position + QPoint(60, 40), "dragging the title bar moves the window");

    // Pointing at the close button shows its symbol; pointing away hides it again.
    TCWindowButton *close = window.standardWindowButton(TCImageWindow::CloseButton);
    const QPoint centre = close->mapTo(&window, close->rect().center());
    QTest::mouseMove(surface, centre);
    QTest::qWait(50);
    check(close->displayedImage().cacheKey() == close->rolloverImage().cacheKey(), "hovering shows the symbol");
    QTest::mouseMove(surface, QPoint(300, 100));
    QTest::qWait(50);
    check(close->displayedImage().cacheKey() != close->rolloverImage().cacheKey(), "leaving hides the symbol");

    // Click the close button.
    QTest::mouseClick(surface, Qt::LeftButton, {}, centre);
    QTest::qWait(300);
    check(!window.isVisible(), "the close button closes the window");
    check(!askServer(window).mapped, "the X server no longer shows the window");

    return failures == 0 ? 0 : 1;
}
