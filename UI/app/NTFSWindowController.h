#pragma once

#include "CustemImageButton.h"
#include "VQHandButton.h"
#include <QLabel>

#include <QObject>
#include <QPointer>
#include <memory>

class TCImageWindow;

// The notice shown instead of adding items that lie on an NTFS volume: a short explanation, a
// link to the product page of the maker's NTFS-capable eraser and a YES button that ends it.
// Run it modally with runModal(); a new controller is made for every showing.
class NTFSWindowController : public QObject
{
    Q_OBJECT

public:
    explicit NTFSWindowController(QObject *parent = nullptr);
    ~NTFSWindowController() override;

    // The window, built on first use.
    TCImageWindow *window();
    void showWindow();
    // Shows the notice centred and returns when YES has ended its modal loop.
    void runModal();

    // YES: ends the modal loop, then closes the notice.
    void okButtonAction();
    // The link: opens the product page in the person's browser.
    void supportTeamLinkAction();

    CustemImageButton *yesButton() const { return m_yesButton; }
    void setYesButton(CustemImageButton *button) { m_yesButton = button; }
    VQHandButton *linkButton() const { return m_linkButton; }
    // Whether the volume's mount is read-only: the notice says so only then.
    void setVolumeReadOnly(bool readOnly);
    QString explanationText() const;
    QLabel *titleLabel() const { return m_titleLabel; }

    static QString supportTeamLinkAddress();

private:
    void windowDidLoad();
    void buildContent();

    std::unique_ptr<TCImageWindow> m_aWindow;
    QPointer<QLabel> m_titleLabel;
    QPointer<VQHandButton> m_linkButton;
    QPointer<QLabel> m_explanationLabel;
    bool m_readOnly = false;
    QPointer<CustemImageButton> m_yesButton;
};
