#pragma once

#include "TCImageWindow.h"
#include "TCWindowDelegate.h"

#include <QObject>
#include <QPointer>

class QPropertyAnimation;


// A window controller whose window fades in when it is first shown and fades out before it
// closes: a close request starts the fade and is refused; the end of the fade closes the window.
class FadingWindowController : public QObject, public TCWindowDelegate
{
    Q_OBJECT

public:
    explicit FadingWindowController(QObject *parent = nullptr);
    ~FadingWindowController() override;

    TCImageWindow *window() const { return m_window; }
    bool shuttingDown() const { return m_shuttingDown; }

    // Called once the window is built: sets up the fade and, when the window is not visible yet,
    // fades it in.
    virtual void awakeFromNib();
    // Starts the fade-out and refuses the close for now.
    bool windowShouldClose(TCImageWindow *window) override;
    // The end of every fade: at exactly zero opacity the window closes (and a modal window first
    // ends its modal loop).
    void animationDidStop(bool finished);
    // 1 to terminate now, 0 to cancel while the window fades out first.
    int applicationShouldTerminate();

    // How long a fade takes, in milliseconds (the desktop's default animation length).
    static int fadeDuration();

signals:
    void windowDidClose();

protected:
    // The window this controller dresses; the controller becomes its delegate.
    void setWindow(TCImageWindow *window);
    // Whether the end of the fade-out stops the application's modal loop (modal windows do).
    virtual bool fadeOutStopsModal() const { return false; }
    // What closing at the end of the fade-out does; by default the window closes.
    virtual void closeWindowAfterFade();
    // Cuts a running fade short and leaves the window fully opaque, for windows that close at
    // once: a fade-in still running would otherwise go on behind the closed window.
    void stopFade();

private:
    void animateOpacityTo(qreal opacity);

    QPointer<TCImageWindow> m_window;
    QPointer<QPropertyAnimation> m_animation;
    bool m_shuttingDown = false;
};
