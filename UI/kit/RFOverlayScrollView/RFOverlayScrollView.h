#pragma once

#include <QPointer>
#include <QWidget>

class QAbstractScrollArea;
class RFOverlayScroller;

// Hosts a scrolling list (a table or outline) across its whole width and lays an overlay scroller
// over the list's right edge, from below the list's header to the bottom. The list's own vertical
// scroll bar is kept but never shown; the overlay scroller follows it both ways.
class RFOverlayScrollView : public QWidget
{
    Q_OBJECT
public:
    explicit RFOverlayScrollView(QWidget *parent = nullptr);

    // Takes the list in and owns it (a list set before is deleted); its header height becomes the
    // scroller's top offset.
    void setDocumentView(QAbstractScrollArea *view);
    QAbstractScrollArea *documentView() const { return m_documentView; }
    RFOverlayScroller *verticalScroller() const { return m_scroller; }

    // Whole points of the hosted table's header, 0 without a table or without a header.
    qint64 headerOffset() const { return m_headerOffset; }
    void setHeaderOffset(qint64 offset);
    qint64 tableHeaderOffsetFromSuperview() const;

    // Lays the list out over the full width, then the scroller over its right edge, on top.
    void tile();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<QAbstractScrollArea> m_documentView;
    RFOverlayScroller *m_scroller = nullptr;
    qint64 m_headerOffset = 0;
};

// Orders sibling views so that overlay scrollers come after (draw above) everything else:
// 1 when only a is a scroller, -1 when only b is, else 0.
int scrollerAboveSiblingViewsComparator(QWidget *a, QWidget *b, void *context);
