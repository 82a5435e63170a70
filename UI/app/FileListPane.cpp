#include "FileListPane.h"

#include "CheckBoxCell.h"
#include "CustomTableView.h"
#include "DragView.h"
#include "ImageAndTextCell.h"
#include "KitGeometry.h"
#include "RFOverlayScrollView.h"
#include "TCImageButton.h"
#include "Theme.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QPushButton>

FileListPane::FileListPane(QAbstractItemModel *model, const QSize &size, QWidget *parent)
    : QWidget(parent)
{
    setGeometry(0, 0, size.width(), size.height());

    m_dragView = new DragView(this);
    kit::setBottomLeftFrame(m_dragView, QRectF(0, theme::kMainBottomBarHeight, size.width(),
                                               size.height() - theme::kMainBottomBarHeight));
    m_scrollView = new RFOverlayScrollView(m_dragView);
    m_scrollView->setGeometry(m_dragView->rect());
    m_table = new CustomTableView;
    m_table->setFrameShape(QFrame::NoFrame);
    m_table->verticalHeader()->setDefaultSectionSize(theme::kMainRowHeight);
    m_table->setIconSize(QSize(16, 16));
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setModel(model);
    m_table->setItemDelegateForColumn(0, new CheckBoxCell(m_table));
    const int columns = model->columnCount();
    for (int column = 1; column < columns; ++column)
        m_table->setItemDelegateForColumn(column, new ImageAndTextCell(m_table));
    for (int column = 0; column < columns; ++column)
        m_table->setColumnWidth(column, theme::kMainColumnWidths[column]);
    m_scrollView->setDocumentView(m_table);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setSectionsMovable(false);

    // The bar under the list: empty the list, add more, erase.
    auto *bar = new QWidget(this);
    kit::setBottomLeftFrame(bar, QRectF(0, 0, size.width(), theme::kMainBottomBarHeight));
    bar->setStyleSheet(QStringLiteral("background: %1; border-top: 1px solid %2;")
                           .arg(theme::dialogPanel().name(), theme::dialogHairline().name()));
    m_emptyButton = new TCImageButton(this);
    m_emptyButton->setImageFromFileNormalName(theme::kEmptyListImage, theme::kEmptyListPressImage,
                                              theme::kEmptyListHoverImage, theme::kEmptyListDisableImage);
    kit::setBottomLeftFrame(m_emptyButton, QRectF(20, 14, 100, 32));
    m_emptyButton->setToolTip(tr("Remove every item from the list"));

    m_addButton = new TCImageButton(this);
    m_addButton->setImageFromFileNormalName(theme::kAddButtonImage, theme::kAddButtonPressImage,
                                            theme::kAddButtonHoverImage, theme::kAddButtonDisableImage);
    kit::setBottomLeftFrame(m_addButton, QRectF(404, 10, 40, 40));
    m_addButton->setToolTip(tr("Add files and folders"));
    m_eraseButton = new TCImageButton(this);
    m_eraseButton->setImageFromFileNormalName(theme::kMainEraseImage, theme::kMainErasePressImage,
                                              theme::kMainEraseHoverImage, theme::kMainEraseDisableImage);
    kit::setBottomLeftFrame(m_eraseButton, QRectF(454, 12, 116, 36));
}

QPushButton *FileListPane::makeSelectAllButton()
{
    QHeaderView *header = m_table->horizontalHeader();
    const int headerHeight = theme::kLightHeaderHeight;
    auto *button = new QPushButton(header);
    button->setFlat(true);
    button->setGeometry(9, (headerHeight - 16) / 2, 16, 16);
    button->setIconSize(QSize(16, 16));
    button->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; background: transparent; }"));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}
