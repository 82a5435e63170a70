#pragma once

#include <QStringList>
#include <QWidget>

class DragViewDelegate;
class QMimeData;

// An invisible drop area that hands dropped files to its delegate. It is meant to be the parent of
// the widgets it covers, so that they keep their clicks while drops anywhere on them land here.
class DragView : public QWidget
{
    Q_OBJECT

public:
    explicit DragView(QWidget *parent = nullptr);

    static const QString kFilesType; // "text/uri-list"
    static const QString kTiffType;  // "image/tiff"

    // Not owned: the owner keeps the delegate alive while drops can arrive.
    DragViewDelegate *delegate() const { return m_delegate; }
    void setDelegate(DragViewDelegate *delegate) { m_delegate = delegate; }

    // Passes the paths on to the delegate, if there is one.
    void viewDragAction(const QStringList &paths);

    // Whether a drag offering these actions is taken, and as what.
    static Qt::DropAction draggingOperation(Qt::DropActions possible);
    // Carries out a drop of this data; false refuses it.
    bool performDragOperation(const QMimeData *data);
    // The local, absolute paths of a uri-list, in its order, each with the exact bytes its address
    // carries (see NativePath); remote and empty entries are left out.
    static QStringList localPathsFromUriList(const QMimeData *data);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    DragViewDelegate *m_delegate = nullptr;
};
