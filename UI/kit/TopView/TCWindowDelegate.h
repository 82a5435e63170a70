#pragma once

#include <QRectF>
#include <memory>

class QWidget;
class TCImageWindow;

// What a window tells the object its owner set as delegate. Every call has the behaviour of a
// delegate that does not care as its default, so a delegate overrides only what it needs.
// The window never owns its delegate and never calls one that has been destroyed.
class TCWindowDelegate
{
public:
    TCWindowDelegate()
        : m_liveness(std::make_shared<char>())
    {
    }
    TCWindowDelegate(const TCWindowDelegate &)
        : m_liveness(std::make_shared<char>())
    {
    }
    TCWindowDelegate &operator=(const TCWindowDelegate &) { return *this; }
    virtual ~TCWindowDelegate() = default;

    // Asked before the window closes at the user's request; false keeps it open.
    virtual bool windowShouldClose(TCImageWindow *) { return true; }
    virtual void windowWillClose(TCImageWindow *) {}
    virtual void windowDidBecomeKey(TCImageWindow *) {}
    virtual void windowDidResignKey(TCImageWindow *) {}
    virtual void windowDidResize(TCImageWindow *) {}
    virtual void windowDidMove(TCImageWindow *) {}
    virtual void windowDidMiniaturize(TCImageWindow *) {}
    // Where a sheet attaches: a rectangle in the window's bottom-left coordinates whose y is the
    // sheet's top edge.
    virtual QRectF windowWillPositionSheet(TCImageWindow *, QWidget *, const QRectF &proposed) { return proposed; }

    // Expires when this delegate is destroyed.
    std::weak_ptr<void> livenessToken() const { return m_liveness; }

private:
    std::shared_ptr<char> m_liveness;
};
