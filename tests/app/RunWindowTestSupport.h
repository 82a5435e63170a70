#pragma once

#include "ApplicationModal.h"
#include "CustemImageButton.h"
#include "ImageLibrary.h"
#include "kit/ControlsTestSupport.h"
#include "platform/Bundle.h"
#include "platform/UserDefaults.h"
#include "common/TestSupport.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

// What the dialog window suites share: modal loops that never block, clicks, and previews.
namespace dialogs {

// Modal runs return at once and are counted; whatever is left running is ended afterwards.
class ModalRecorder
{
public:
    ModalRecorder()
    {
        ApplicationModal::setRunnerForTesting([this](QWidget *window) {
            ++runs;
            lastWindow = window;
        });
    }
    ~ModalRecorder()
    {
        ApplicationModal::setRunnerForTesting({});
        while (ApplicationModal::isRunningModal())
            ApplicationModal::stopModal();
    }
    int runs = 0;
    QWidget *lastWindow = nullptr;
};

// The built bundle's images, so that windows draw as they ship.
class BuiltImages
{
public:
    BuiltImages()
    {
        Bundle::setMainBundleOverride(QStringLiteral(NULLWELL_INNER_BUNDLE));
        ImageLibrary::clearCache();
    }
    ~BuiltImages()
    {
        Bundle::setMainBundleOverride(QString());
        ImageLibrary::clearCache();
    }
};

// A press and release in the middle of a text button, as the pointer makes them.
inline void click(CustemImageButton *button)
{
    controls::sendMouse(button, QEvent::MouseButtonPress);
    controls::sendMouse(button, QEvent::MouseButtonRelease);
}

// The desktop's close (a window-manager close, Alt+F4) as the window system hands it to the
// window; whatever it starts is let run.
inline void desktopClose(QWidget *window)
{
    window->winId();
    QCloseEvent event;
    QApplication::sendEvent(window->windowHandle(), &event);
    QApplication::processEvents();
}

// A key pressed while the window has no focused control, as the window gets it.
inline void pressKey(QWidget *window, Qt::Key key)
{
    QTest::keyClick(window, key);
    QApplication::processEvents();
}

// Whether the view would show while its window shows.
inline bool shown(const QWidget *view)
{
    return view && view->isVisibleTo(view->window());
}

// The stored erasure method, set or removed for a test.
inline void storeEraserTimes(qint64 count)
{
    UserDefaults::standard().setInteger(count, QStringLiteral("EraserTimes"));
}
inline void clearEraserTimes()
{
    UserDefaults::standard().removeObjectForKey(QStringLiteral("EraserTimes"));
}

// Saves the widget as windows/NAME.png in the preview folder on a dark backdrop, for people to look at.
inline void savePreview(QWidget *widget, const QString &name)
{
    const QString folder = testsupport::previewFolder(QStringLiteral("windows"));
    const QPixmap shot = widget->grab();
    const int margin = 20;
    QImage backdrop(shot.size() / shot.devicePixelRatio() + QSize(2 * margin, 2 * margin),
                    QImage::Format_ARGB32_Premultiplied);
    backdrop.fill(QColor(58, 62, 72));
    QPainter painter(&backdrop);
    if (!widget->mask().isEmpty()) {
        painter.translate(margin, margin);
        painter.setClipRegion(widget->mask());
        painter.translate(-margin, -margin);
    }
    painter.drawPixmap(margin, margin, shot);
    painter.end();
    EXPECT_TRUE(backdrop.save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}

} // namespace dialogs
