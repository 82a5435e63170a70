#include "TCImageWindowDelegateProxy.h"

#include "TCImageWindow.h"

TCWindowDelegate *TCImageWindowDelegateProxy::secondaryDelegate() const
{
    return m_secondaryLiveness.expired() ? nullptr : m_secondaryDelegate;
}

void TCImageWindowDelegateProxy::setSecondaryDelegate(TCWindowDelegate *delegate)
{
    m_secondaryDelegate = delegate;
    m_secondaryLiveness = delegate ? delegate->livenessToken() : std::weak_ptr<void>();
}

bool TCImageWindowDelegateProxy::windowShouldClose(TCImageWindow *window)
{
    TCWindowDelegate *delegate = secondaryDelegate();
    return delegate ? delegate->windowShouldClose(window) : TCWindowDelegate::windowShouldClose(window);
}

void TCImageWindowDelegateProxy::windowWillClose(TCImageWindow *window)
{
    if (TCWindowDelegate *delegate = secondaryDelegate())
        delegate->windowWillClose(window);
}

void TCImageWindowDelegateProxy::windowDidBecomeKey(TCImageWindow *window)
{
    if (TCWindowDelegate *delegate = secondaryDelegate())
        delegate->windowDidBecomeKey(window);
}

void TCImageWindowDelegateProxy::windowDidResignKey(TCImageWindow *window)
{
    if (TCWindowDelegate *delegate = secondaryDelegate())
        delegate->windowDidResignKey(window);
}

void TCImageWindowDelegateProxy::windowDidResize(TCImageWindow *window)
{
    if (TCWindowDelegate *delegate = secondaryDelegate())
        delegate->windowDidResize(window);
}

void TCImageWindowDelegateProxy::windowDidMove(TCImageWindow *window)
{
    if (TCWindowDelegate *delegate = secondaryDelegate())
        delegate->windowDidMove(window);
}

void TCImageWindowDelegateProxy::windowDidMiniaturize(TCImageWindow *window)
{
    if (TCWindowDelegate *delegate = secondaryDelegate())
        delegate->windowDidMiniaturize(window);
}

QRectF TCImageWindowDelegateProxy::windowWillPositionSheet(TCImageWindow *window, QWidget *, const QRectF &proposed)
{
    QRectF rect = proposed;
    if (window)
        rect.moveTop(window->height() - window->titleBarHeight());
    return rect;
}
