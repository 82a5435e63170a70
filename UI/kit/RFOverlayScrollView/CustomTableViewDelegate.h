#pragma once

class QMouseEvent;

// The owner of the file list: hears of right clicks on the list, with the event as the list got it
// (position in the list's viewport, global position for a menu).
class CustomTableViewDelegate
{
public:
    virtual ~CustomTableViewDelegate() = default;
    virtual void listRightMouseDown(QMouseEvent *event) = 0;
};
