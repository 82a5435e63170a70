#pragma once

#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QPainter;

// The text button of the dialogs and panes, drawn entirely in code: a rounded shape in one of six
// colour types, an optional border and a centred caption. It keeps its own enabled, hover and
// pressed flags (it stays enabled as a Qt widget, so that a press on a disabled button is
// swallowed here instead of reaching the widgets behind it) and runs its action when a press that
// began on it is released over it. While it takes clicks it also takes focus from the keyboard
// (Tab), shows a focus ring, and Space or Return press it; its window presses it for Return or
// Escape when it is marked as the default or the cancel button.
class CustemImageButton : public QWidget
{
    Q_OBJECT

public:
    // What the owner runs on a click; it is only run while a delegate is set.
    using Action = std::function<void()>;
    // The look a paint picks, by priority disabled, pressed, hover, normal.
    enum DrawState { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };
    // Keys its window answers by pressing this button while it shows.
    enum KeyEquivalent { NoKey = 0, ReturnKey = 1, EscapeKey = 2 };

    explicit CustemImageButton(QWidget *parent = nullptr);
    // Created at a bottom-left frame inside the parent, as the window layouts give them.
    CustemImageButton(const QRectF &frame, QWidget *parent);

    void setTextWithName(const QString &title, const QFont &font, quint64 colorType,
                         const QString &identifier);
    // Enabling also turns the hover look on until the pointer next leaves the button.
    virtual void setButtonEnabled(bool enabled);

    QObject *delegate() const { return m_delegate; }
    void setDelegate(QObject *delegate) { m_delegate = delegate; }
    Action buttonAction() const { return m_buttonAction; }
    void setButtonAction(Action action) { m_buttonAction = std::move(action); }
    // ReturnKey makes it the default button, EscapeKey the cancel button; both may be set.
    int keyEquivalents() const { return m_keyEquivalents; }
    void setKeyEquivalents(int keys) { m_keyEquivalents = keys; }
    // Runs the action as a click would: only while enabled and with a delegate. True when it ran.
    bool performClick();

    bool isFocus() const { return m_isFocus; }
    void setIsFocus(bool focus) { m_isFocus = focus; }
    bool isEnabled() const { return m_isEnabled; }
    void setIsEnabled(bool enabled) { m_isEnabled = enabled; }
    // Despite its name, true means the button takes clicks (see setButtonEnabled).
    bool isDisabled() const { return m_isDisabled; }
    // Both flags on: presses, keys and focus reach the action.
    bool takesClicks() const { return m_isEnabled && m_isDisabled; }
    bool isTracking() const { return m_isTracking; }
    qint64 butTag() const { return m_butTag; }
    void setButTag(qint64 tag) { m_butTag = tag; }
    quint64 colorType() const { return m_myColorType; }
    QString titleStr() const { return m_titleStr; }
    QFont titleFont() const { return m_titleFont; }

    // Width of the text laid out (wrapping) inside the given size; empty text gives 0.
    static float getStringWidthWith(const QString &text, const QFont &font, const QSizeF &size);

    DrawState drawState() const;
    virtual qreal cornerRadius() const;
    virtual QColor fillColor() const;
    virtual QColor captionColor() const;
    // Where the caption is drawn, in widget coordinates.
    virtual QRectF captionRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

    virtual void drawBorder(QPainter &painter, const QRectF &shape) const;
    void drawFocusRing(QPainter &painter, const QRectF &shape) const;
    // Buttons take keyboard focus exactly while they take clicks.
    void updateFocusPolicy();
    // A left press on a button that takes clicks.
    virtual void showPress();
    // Stores the caption and adds the identifying image child each call adds.
    void storeCaption(const QString &title, const QFont &font);
    QWidget *addIdentifiedImage(const QString &imageName, const QRect &geometry,
                                const QString &identifier);

    bool m_isTracking = false;
    bool m_isFocus = false;
    bool m_isDisabled = true;
    bool m_isEnabled = false;
    QPointer<QObject> m_delegate;
    Action m_buttonAction;
    quint64 m_myColorType = 0;
    qint64 m_butTag = 0;
    QString m_titleStr;
    QFont m_titleFont;
    bool m_isBeginDraw = false;
    // A left press began on the button and has not been released yet.
    bool m_pressStarted = false;
    bool m_spaceHeld = false;
    int m_keyEquivalents = NoKey;
};
