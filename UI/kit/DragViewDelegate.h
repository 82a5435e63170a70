#pragma once

#include <QStringList>

class QObject;

// The owner of a drop area: receives dropped files, and offers the matching way to choose files
// with a dialog (the drop view itself never calls that one).
class DragViewDelegate
{
public:
    virtual ~DragViewDelegate() = default;
    // Absolute local paths, in the order the drag source listed them.
    virtual void viewDragAction(const QStringList &paths) = 0;
    virtual void selectFileButtonAction(QObject *sender) = 0;
};
