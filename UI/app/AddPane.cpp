#include "AddPane.h"

#include "AddView.h"
#include "DashedFrameView.h"
#include "KitGeometry.h"
#include "Theme.h"
#include "WindowPaneBuilder.h"

AddPane::AddPane(const QSize &size, QWidget *parent)
    : DragView(parent)
{
    setGeometry(0, 0, size.width(), size.height());

    m_dropZone = new DragView(this);
    kit::setBottomLeftFrame(m_dropZone, QRectF(40, 40, 490, 360));
    auto *zone = new DashedFrameView(2.0, 14.0, m_dropZone);
    zone->setGeometry(0, 0, 490, 360);
    zone->setColors(theme::mainDropZoneBorder(), theme::mainDropZoneFill());
    zone->setAttribute(Qt::WA_TransparentForMouseEvents);
    WindowPaneBuilder::makeImage(m_dropZone, QRectF(197, 200, 96, 96), theme::kMainDropImage);
    WindowPaneBuilder::makeLabel(m_dropZone, QRectF(20, 150, 450, 30), tr("Drag files and folders here"),
                                 theme::helveticaLight(theme::kMainDropHeadlineSize), theme::paneHeadlineColor(),
                                 Qt::AlignCenter);
    WindowPaneBuilder::makeLabel(m_dropZone, QRectF(20, 122, 450, 22),
                                 tr("They are erased for good: nothing can bring them back."),
                                 theme::helveticaLight(theme::kPaneMessageSize), theme::paneMessageColor(),
                                 Qt::AlignCenter);
    m_addFilesButton = new AddView(QRectF(175, 50, 140, 40), m_dropZone);
    m_addFilesButton->setTextWithName(tr("Add Files"), theme::helveticaLight(15), QStringLiteral("add"));
    m_addFilesButton->setButtonEnabled(true);
}
