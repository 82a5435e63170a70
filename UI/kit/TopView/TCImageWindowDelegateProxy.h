#pragma once

#include "TCWindowDelegate.h"

// The delegate every image window installs for itself: it answers sheet positioning, so sheets
// come out below the drawn title bar, and passes every other call to the delegate the window's
// owner set. That delegate is not kept alive by the proxy; once destroyed it is no longer called.
class TCImageWindowDelegateProxy final : public TCWindowDelegate
{
public:
    TCWindowDelegate *secondaryDelegate() const;
    void setSecondaryDelegate(TCWindowDelegate *delegate);

    bool windowShouldClose(TCImageWindow *window) override;
    void windowWillClose(TCImageWindow *window) override;
    void windowDidBecomeKey(TCImageWindow *window) override;
    void windowDidResignKey(TCImageWindow *window) override;
    void windowDidResize(TCImageWindow *window) override;
    void windowDidMove(TCImageWindow *window) override;
    void windowDidMiniaturize(TCImageWindow *window) override;
    // The proposed rectangle with its y at the lower edge of the window's title bar; the
    // secondary delegate is not asked.
    QRectF windowWillPositionSheet(TCImageWindow *window, QWidget *sheet, const QRectF &proposed) override;

private:
    TCWindowDelegate *m_secondaryDelegate = nullptr;
    std::weak_ptr<void> m_secondaryLiveness;
};
