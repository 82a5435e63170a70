#include "DragView.h"

#include "DragViewDelegate.h"
#include "platform/Log.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QSysInfo>
#include <QUrl>

const QString DragView::kFilesType = QStringLiteral("text/uri-list");
const QString DragView::kTiffType = QStringLiteral("image/tiff");

namespace {

bool isThisMachine(const QString &host)
{
    return host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
        || host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

} // namespace

DragView::DragView(QWidget *parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
}

void DragView::viewDragAction(const QStringList &paths)
{
    if (m_delegate)
        m_delegate->viewDragAction(paths);
}

Qt::DropAction DragView::draggingOperation(Qt::DropActions possible)
{
    // A plain drag from a file manager offers copy: that is the drop this view takes.
    return possible.testFlag(Qt::CopyAction) ? Qt::CopyAction : Qt::IgnoreAction;
}

QStringList DragView::localPathsFromUriList(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasFormat(kFilesType))
        return paths;
    for (const QUrl &url : data->urls()) {
        if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0 || !isThisMachine(url.host()))
            continue;
        const QString path = url.path(QUrl::FullyDecoded);
        if (path.isEmpty() || !QDir::isAbsolutePath(path))
            continue;
        paths.append(path);
    }
    return paths;
}

bool DragView::performDragOperation(const QMimeData *data)
{
    if (data && data->hasFormat(kTiffType)) {
        // An image dropped on the list is taken and put aside: only files are added.
        if (data->data(kTiffType).isEmpty()) {
            platform::log(QStringLiteral("Error: MyNSView performDragOperation zPasteboardData == nil"));
            return false;
        }
        update();
        return true;
    }
    if (data && data->hasFormat(kFilesType)) {
        const QStringList paths = localPathsFromUriList(data);
        if (!paths.isEmpty()) {
            viewDragAction(paths);
            update();
            return true;
        }
    }
    platform::log(QStringLiteral("Error MyNSView performDragOperation"));
    return false;
}

void DragView::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void DragView::dragMoveEvent(QDragMoveEvent *event)
{
    const QMimeData *data = event->mimeData();
    // Drags that carry neither files nor an image pass by as if the view were not there.
    const bool known = data && (data->hasFormat(kFilesType) || data->hasFormat(kTiffType));
    const Qt::DropAction action = known ? draggingOperation(event->possibleActions()) : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void DragView::dropEvent(QDropEvent *event)
{
    const Qt::DropAction action = draggingOperation(event->possibleActions());
    if (action == Qt::IgnoreAction || !performDragOperation(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void DragView::mouseReleaseEvent(QMouseEvent *event)
{
    // A click on the bare drop area ends here instead of reaching what lies behind it.
    event->accept();
}
