// Renders every state of the controls to PNG sheets in the build folder, for people to look at.
#include "AddView.h"
#include "CustemImageButton.h"
#include "CustemTypeButtonView.h"
#include "DragView.h"
#include "NSProgressBar.h"
#include "NewButton.h"
#include "Theme.h"
#include "VQProgressView.h"

#include "ControlsTestSupport.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPushButton>

namespace {

using namespace controls;

// A sheet of labelled cells; each control is painted on it as it would be on a light pane.
class Sheet
{
public:
    Sheet(int columns, int rows, QSize cell)
        : m_cell(cell)
        , m_image(columns * cell.width(), rows * cell.height(), QImage::Format_ARGB32_Premultiplied)
    {
        m_image.fill(theme::rgb(244, 245, 247));
    }

    void put(int column, int row, QWidget *widget, const QString &label)
    {
        const QPoint origin(column * m_cell.width() + 10, row * m_cell.height() + 10);
        QPainter painter(&m_image);
        widget->render(&painter, origin, QRegion(), QWidget::DrawChildren);
        painter.setPen(theme::rgb(90, 90, 90));
        painter.setFont(theme::systemFont(10));
        painter.drawText(QRect(origin.x(), origin.y() + widget->height() + 2, m_cell.width() - 12, 14),
                         Qt::AlignLeft, label);
    }

    QImage &image() { return m_image; }

    QString save(const QString &name) const
    {
        const QString folder = testsupport::previewFolder(QStringLiteral("controls"));
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        return m_image.save(path) ? path : QString();
    }

private:
    QSize m_cell;
    QImage m_image;
};

// Puts a button in one of its four looks by the events a user would cause.
void showState(CustemImageButton &button, CustemImageButton::DrawState state)
{
    button.setButtonEnabled(state != CustemImageButton::Disabled);
    if (state == CustemImageButton::Normal)
        sendLeave(&button);
    if (state == CustemImageButton::Pressed)
        sendMouse(&button, QEvent::MouseButtonPress);
}

const char *const kStateNames[] = {"normal", "hover", "pressed", "disabled"};

// The add view's pressed look never outlives its press handler; this shows it anyway.
class HeldAddView : public AddView
{
public:
    using AddView::AddView;
    void hold() { m_isTracking = true; }
};

} // namespace

TEST(ControlsRender, EveryStateOfEveryControlPreview)
{
    testsupport::TempBundle bundle;
    ASSERT_TRUE(installAddImage(bundle));
    QStringList written;

    {
        const char *const captions[] = {"Erase Now", "Cancel", "Continue", "Export", "Stop", "OK"};
        Sheet sheet(4, 8, QSize(150, 62));
        for (quint64 type = 0; type < 6; ++type) {
            for (int state = 0; state < 4; ++state) {
                CustemImageButton button;
                button.resize(120, 32);
                button.setTextWithName(QString::fromLatin1(captions[type]), theme::helveticaLight(13), type,
                                       QStringLiteral("add"));
                showState(button, CustemImageButton::DrawState(state));
                sheet.put(state, int(type), &button,
                          QStringLiteral("type %1 %2").arg(type).arg(QLatin1String(kStateNames[state])));
            }
        }
        // Heights around the radius switch, a 15-point caption, and a button before its caption.
        const struct
        {
            int height;
            int font;
            const char *caption;
        } sizes[] = {{28, 13, "YES"}, {34, 13, "Empty All"}, {35, 15, "OK"}, {40, 16, "Continue"}};
        for (int i = 0; i < 4; ++i) {
            CustemImageButton button;
            button.resize(120, sizes[i].height);
            button.setTextWithName(QString::fromLatin1(sizes[i].caption), theme::helveticaLight(sizes[i].font), 0,
                                   QString());
            showState(button, CustemImageButton::Normal);
            sheet.put(i, 6, &button, QStringLiteral("h %1, %2 pt").arg(sizes[i].height).arg(sizes[i].font));
        }
        CustemImageButton bare;
        bare.resize(120, 32);
        showState(bare, CustemImageButton::Normal);
        sheet.put(0, 7, &bare, QStringLiteral("no caption yet"));
        CustemImageButton fresh;
        fresh.resize(120, 32);
        fresh.setTextWithName(QStringLiteral("Erase Now"), theme::helveticaLight(13), 0, QString());
        sheet.put(1, 7, &fresh, QStringLiteral("never enabled"));
        written << sheet.save(QStringLiteral("CustemImageButton"));
    }

    {
        Sheet sheet(4, 2, QSize(170, 66));
        for (int row = 0; row < 2; ++row) {
            for (int state = 0; state < 4; ++state) {
                HeldAddView view;
                view.resize(140, row == 0 ? 36 : 30);
                view.setTextWithName(QStringLiteral("Add Files"), theme::helveticaLight(13), QStringLiteral("add"));
                view.setButtonEnabled(state != CustemImageButton::Disabled);
                if (state == CustemImageButton::Hover)
                    sendEnter(&view);
                if (state == CustemImageButton::Pressed)
                    view.hold();
                sheet.put(state, row, &view,
                          QStringLiteral("h %1 %2").arg(view.height()).arg(QLatin1String(kStateNames[state])));
            }
        }
        written << sheet.save(QStringLiteral("AddView"));
    }

    {
        Sheet sheet(2, 2, QSize(260, 70));
        QPixmap icon(26, 26);
        icon.fill(Qt::transparent);
        QPainter iconPainter(&icon);
        iconPainter.setRenderHint(QPainter::Antialiasing);
        iconPainter.setBrush(theme::rgb(61, 73, 110));
        iconPainter.setPen(Qt::NoPen);
        iconPainter.drawRoundedRect(QRectF(3, 3, 20, 20), 4, 4);
        iconPainter.end();
        for (int row = 0; row < 2; ++row) {
            for (int selected = 0; selected < 2; ++selected) {
                CustemTypeButtonView tile;
                tile.resize(230, 46);
                tile.setIconImage(icon);
                tile.setNameStr(row == 0 ? QStringLiteral("Erase Files") : QStringLiteral("Erasure History"));
                tile.setButTag(row == 0 ? 1 : 3);
                tile.loadView();
                tile.buttonClick(selected == 1);
                sheet.put(selected, row, &tile,
                          QStringLiteral("tag %1 %2").arg(tile.butTag()).arg(selected ? "selected" : "plain"));
            }
        }
        written << sheet.save(QStringLiteral("CustemTypeButtonView"));
    }

    {
        Sheet sheet(1, 2, QSize(340, 62));
        QPixmap icon(22, 22);
        icon.fill(theme::rgb(32, 144, 250));
        for (int row = 0; row < 2; ++row) {
            QWidget host;
            host.resize(300, 40);
            QImage cellImage(host.size(), QImage::Format_ARGB32_Premultiplied);
            cellImage.fill(Qt::transparent);
            NewButton cell;
            cell.setLabel(std::make_shared<NewButton::LabelCell>(
                NewButton::LabelCell{QStringLiteral("Data Volume"), theme::systemFont(13), QColor(), true}));
            if (row == 0)
                cell.setIconImageCell(std::make_shared<NewButton::IconCell>(NewButton::IconCell{icon}));
            QPainter painter(&cellImage);
            cell.drawWithFrame(painter, QRectF(0, 0, 300, 40), &host);
            painter.end();
            QPainter sheetPainter(&sheet.image());
            sheetPainter.drawImage(QPoint(10, row * 62 + 10), cellImage);
            sheetPainter.end();
        }
        written << sheet.save(QStringLiteral("NewButton"));
    }

    {
        const float percents[] = {0, 10, 50, 99.7f, 100, -5};
        Sheet sheet(1, 7, QSize(480, 34));
        for (int i = 0; i < 6; ++i) {
            VQProgressView view;
            view.resize(420, 6);
            view.changeProgressValue(percents[i]);
            sheet.put(0, i, &view, QStringLiteral("%1 %").arg(double(percents[i])));
        }
        VQProgressView wide;
        wide.resize(450, 6);
        wide.changeProgressValue(100);
        sheet.put(0, 6, &wide, QStringLiteral("100 % in a 450-wide view"));
        written << sheet.save(QStringLiteral("VQProgressView"));
    }

    {
        // The drop area draws nothing: only what it holds shows.
        Sheet sheet(1, 1, QSize(240, 80));
        DragView view;
        view.resize(200, 40);
        auto *button = new QPushButton(QStringLiteral("Choose Files"), &view);
        button->setGeometry(50, 5, 100, 30);
        sheet.put(0, 0, &view, QStringLiteral("drop area holding a button"));
        written << sheet.save(QStringLiteral("DragView"));
    }

    for (const QString &path : written) {
        EXPECT_FALSE(path.isEmpty());
        EXPECT_GT(QFileInfo(path).size(), 500) << path.toStdString();
    }
}
