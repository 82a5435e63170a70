#pragma once

#include "TCImageButton.h"

#include <QPushButton>
#include <QObject>
#include <QPointer>
#include <memory>

class QAbstractButton;
class QWidget;
class SetEraserTimesWindowControllerDelegate;
class TCImageWindow;

// The screen on which the user picks one of the four erasure methods. Its window is never shown:
// the main window moves contentView() into its settings pane. The choice is saved to the user
// default "EraserTimes" (the pass count) only when the user leaves through the back button.
class SetEraserTimesWindowController : public QObject
{
    Q_OBJECT

public:
    explicit SetEraserTimesWindowController(QObject *parent = nullptr);
    ~SetEraserTimesWindowController() override;

    TCImageWindow *window() const { return m_window.get(); }
    // The view to show, wherever it has been moved; it belongs to the window until then.
    QWidget *contentView() const { return m_contentView; }

    // Not owned.
    SetEraserTimesWindowControllerDelegate *delegate() const { return m_delegate; }
    void setDelegate(SetEraserTimesWindowControllerDelegate *delegate) { m_delegate = delegate; }
    TCImageButton *backButton() const { return m_backButton; }
    void setBackButton(TCImageButton *button) { m_backButton = button; }

    // Shows the stored method; a missing or unknown stored value leaves the view as it is.
    void setEraserTimes();
    // The radio buttons' action: selects the pressed one (nothing is saved yet).
    void selectShredTypeButtonAction(QAbstractButton *sender);
    // Saves the selected method's pass count.
    void okButtonAction();
    // Saves, then tells the delegate the user is leaving.
    void backHomeButtonAction();

    int selectEraserTimes() const { return m_selectEraserTimes; }
    // The radio buttons 1 to 4 (null outside).
    QPushButton *typeButton(int index) const;
    // The image a radio button shows now.
    static QString radioImageName(const QAbstractButton *button);
    // The pass count stored for a selection 1 to 4.
    static int passCountForSelection(int selection);

private:
    void loadWindow();
    void windowDidLoad();
    void showSelection(int selection);

    std::unique_ptr<TCImageWindow> m_window;
    TCImageWindow *m_aWindow = nullptr;
    SetEraserTimesWindowControllerDelegate *m_delegate = nullptr;
    QPointer<QPushButton> m_type[4];
    int m_selectEraserTimes = 1;
    QPointer<TCImageButton> m_backButton;
    QPointer<QWidget> m_contentView;
};
