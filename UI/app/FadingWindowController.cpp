#include "FadingWindowController.h"

#include "ApplicationModal.h"
#include "TCImageWindow.h"

#include <QCoreApplication>
#include <QPropertyAnimation>

FadingWindowController::FadingWindowController(QObject *parent) : QObject(parent) {}

FadingWindowController::~FadingWindowController()
{
    if (m_animation)
        m_animation->stop();
}

int FadingWindowController::fadeDuration()
{
    return 250;
}

void FadingWindowController::setWindow(TCImageWindow *window)
{
    m_window = window;
    if (window)
        window->setDelegate(this);
}

void FadingWindowController::awakeFromNib()
{
    m_shuttingDown = false;
    if (!m_window)
        return;
    if (!m_window->isVisible()) {
        m_window->setWindowOpacity(0.0);
        animateOpacityTo(1.0);
    }
}

bool FadingWindowController::windowShouldClose(TCImageWindow *)
{
    animateOpacityTo(0.0);
    return false;
}

void FadingWindowController::animationDidStop(bool)
{
    if (!m_window || m_window->windowOpacity() != 0.0)
        return;
    if (fadeOutStopsModal())
        ApplicationModal::stopModal();
    closeWindowAfterFade();
    Q_EMIT windowDidClose();
    if (m_shuttingDown)
        QCoreApplication::quit();
}

void FadingWindowController::closeWindowAfterFade()
{
    if (m_window)
        m_window->close();
}

int FadingWindowController::applicationShouldTerminate()
{
    if (m_shuttingDown)
        return 1;
    animateOpacityTo(0.0);
    m_shuttingDown = true;
    return 0;
}

void FadingWindowController::stopFade()
{
    if (m_animation) {
        m_animation->stop();
        m_animation->deleteLater();
    }
    if (m_window)
        m_window->setWindowOpacity(1.0);
}

void FadingWindowController::animateOpacityTo(qreal opacity)
{
    if (!m_window)
        return;
    if (m_animation) {
        // A fade that is cut short by the next one ends without reaching its value.
        m_animation->stop();
        m_animation->deleteLater();
    }
    auto *animation = new QPropertyAnimation(m_window, "windowOpacity", this);
    animation->setDuration(fadeDuration());
    animation->setStartValue(m_window->windowOpacity());
    animation->setEndValue(opacity);
    connect(animation, &QPropertyAnimation::finished, this, [this, animation] {
        animation->deleteLater();
        animationDidStop(true);
    });
    m_animation = animation;
    animation->start();
}
