#include "DragView.h"

#include "DragViewDelegate.h"
#include "platform/Log.h"
#include "platform/NativePath.h"

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

// Some sources send raw bytes beyond ASCII (or spaces) in an address: escape just those, so the
// address parses with the bytes that were sent.
QByteArray escapeRawBytes(const QByteArray &line)
{
    QByteArray out;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F)
            out += '%' + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
        else
            out += c;
    }
    return out;
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
    // Read from the raw list rather than QMimeData::urls(): a name's bytes travel percent-encoded,
    // and turning them into text first would change a name that is not UTF-8 into another name.
    for (QByteArray line : data->data(kFilesType).split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(escapeRawBytes(line), QUrl::TolerantMode);
        if (!url.isValid() || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0 ||
            !isThisMachine(url.host()))
            continue;
        const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (!bytes.startsWith('/') || bytes.contains('\0'))
            continue;
        paths.append(NativePath::decode(bytes));
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
