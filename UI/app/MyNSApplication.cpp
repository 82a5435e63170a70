#include "MyNSApplication.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

MyNSApplication::MyNSApplication(QObject *parent) : QObject(parent) {}

MyNSApplication *MyNSApplication::install()
{
    auto *filter = new MyNSApplication(qApp);
    qApp->installEventFilter(filter);
    return filter;
}

QByteArray MyNSApplication::actionForKeyEvent(const QKeyEvent &event)
{
    // Keypad keys carry their own modifier bit; it says where the key is, not what was held.
    const Qt::KeyboardModifiers held = event.modifiers() & ~Qt::KeypadModifier;
    if (held == Qt::ControlModifier) {
        switch (event.key()) {
        case Qt::Key_X: return QByteArrayLiteral("cut");
        case Qt::Key_C: return QByteArrayLiteral("copy");
        case Qt::Key_V: return QByteArrayLiteral("paste");
        case Qt::Key_Z: return QByteArrayLiteral("undo");
        case Qt::Key_A: return QByteArrayLiteral("selectAll");
        default: return QByteArray();
        }
    }
    if (held == (Qt::ControlModifier | Qt::ShiftModifier) && event.key() == Qt::Key_Z)
        return QByteArrayLiteral("redo");
    return QByteArray();
}

bool MyNSApplication::sendAction(const QByteArray &action)
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus || action.isEmpty())
        return false;
    // The text editors answer through their own slots; any other widget that declares a slot of
    // the action's name (a table's selectAll, a custom view's copy) gets it the same way.
    const QByteArray signature = QMetaObject::normalizedSignature((action + "()").constData());
    for (QWidget *responder = focus; responder; responder = responder->parentWidget()) {
        const QMetaObject *meta = responder->metaObject();
        if (meta->indexOfMethod(signature.constData()) >= 0)
            return QMetaObject::invokeMethod(responder, action.constData(), Qt::DirectConnection);
        if (responder->isWindow())
            break;
    }
    return false;
}

bool MyNSApplication::sendEvent(QKeyEvent *event)
{
    if (!event || event->type() != QEvent::KeyPress)
        return false;
    const QByteArray action = actionForKeyEvent(*event);
    if (action.isEmpty())
        return false;
    return sendAction(action);
}

bool MyNSApplication::eventFilter(QObject *watched, QEvent *event)
{
    // Only the press that reaches the focused widget itself: the window sees it first, and a
    // press the widget ignores travels on to its parents, none of which may act on it again.
    if (event->type() == QEvent::KeyPress && watched == QApplication::focusWidget()
        && sendEvent(static_cast<QKeyEvent *>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}
