#pragma once

#include <QObject>

class QKeyEvent;

// The standard editing shortcuts of the whole application: Ctrl with X, C, V, Z, A (Caps Lock
// makes no difference) and Ctrl+Shift+Z are sent as cut, copy, paste, undo, select all and redo
// to the widget that has the keyboard focus, before the key takes its ordinary way. A key whose
// action no focused widget handles goes on unchanged, so a menu shortcut can still act on it.
class MyNSApplication : public QObject
{
    Q_OBJECT

public:
    explicit MyNSApplication(QObject *parent = nullptr);

    // Installs one instance as the application's event filter (owned by the application).
    static MyNSApplication *install();

    // The editing action a key press stands for ("cut", "copy", "paste", "undo", "redo",
    // "selectAll"), or empty when it stands for none.
    static QByteArray actionForKeyEvent(const QKeyEvent &event);
    // Sends the action to the focused widget; true when that widget handled it.
    static bool sendAction(const QByteArray &action);
    // True when the key press was turned into an action and must go no further.
    bool sendEvent(QKeyEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
