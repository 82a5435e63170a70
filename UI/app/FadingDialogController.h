#pragma once

#include "FadingWindowController.h"

#include <QSize>
#include <memory>

// A fading window controller that owns its modal window: the window is built on first use and
// the controller dresses it, and both close paths end the application's modal loop.
class FadingDialogController : public FadingWindowController
{
    Q_OBJECT

public:
    explicit FadingDialogController(QObject *parent = nullptr);
    ~FadingDialogController() override;

    // Builds the window on first use (fade-in set up, then dressed) and returns it.
    TCImageWindow *loadWindow();

    // Opens the address stored for the link key in the person's browser; nothing happens when
    // the settings hold no address for it.
    static void openLink(const QString &linkKey);

protected:
    virtual QSize contentSize() const = 0;
    // Dresses the freshly built window.
    virtual void windowDidLoad() = 0;
    bool fadeOutStopsModal() const override { return true; }
    // Ends the modal loop and closes the window at once, without a fade.
    void stopModalAndClose();

    std::unique_ptr<TCImageWindow> m_aWindow;
};
