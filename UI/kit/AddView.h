#pragma once

#include "CustemImageButton.h"

// The teal twin of the text button: fixed palette, no border, a small "add" image left of the
// caption. Its enable switch leaves the hover look alone, and its pressed look lasts only while
// the press is being handled.
class AddView : public CustemImageButton
{
    Q_OBJECT

public:
    explicit AddView(QWidget *parent = nullptr);
    AddView(const QRectF &frame, QWidget *parent);

    // Replaces the text button's four-argument form: there is no colour type.
    void setTextWithName(const QString &title, const QFont &font, const QString &identifier);
    void setButtonEnabled(bool enabled) override;

    qreal cornerRadius() const override;
    QColor fillColor() const override;
    QColor captionColor() const override;
    QRectF captionRect() const override;

protected:
    void showPress() override;
    void drawBorder(QPainter &painter, const QRectF &shape) const override;
};
