#pragma once

#include "VQHandButton.h"
#include <QLabel>

#include "FadingDialogController.h"

#include <QPointer>


// The About window: product picture, name, version and a link to the product's web site. It
// fades in when shown and runs modally; the close button ends it at once, while a close through
// the window's should-close check fades it out first and ends the modal loop at the end of the
// fade. A new controller is made for every showing.
class VQAboutWindowController : public FadingDialogController
{
    Q_OBJECT

public:
    explicit VQAboutWindowController(QObject *parent = nullptr);
    ~VQAboutWindowController() override;

    // Shows the window centred and returns when its modal loop has ended.
    void runModal();

    // The close button: ends the modal loop and closes at once, without a fade.
    void closeWindow();
    // The link: opens the address stored for "AboutURL" in the user's language.
    void linkButtonAction();

    QWidget *titleBarView() const { return m_titleBarView; }
    QLabel *titleLabel() const { return m_titleLabel; }
    QLabel *versionLabel() const { return m_versionLabel; }
    VQHandButton *aboutlink() const { return m_aboutlink; }

    // "Version x" from the settings list's install version, else "Build n" from its build
    // number; empty when it has neither.
    static QString versionText();

protected:
    QSize contentSize() const override;
    void windowDidLoad() override;

private:
    QPointer<QWidget> m_titleBarView;
    QPointer<QLabel> m_titleImage;
    QPointer<QLabel> m_titleLabel;
    QPointer<QLabel> m_versionLabel;
    QPointer<VQHandButton> m_aboutlink;
};
