#pragma once

class QMouseEvent;

// The owner of a dark list: hears of right clicks on it, with the event as the list got it.
class CustomListTableViewDelegate
{
public:
    virtual ~CustomListTableViewDelegate() = default;
    virtual void listRightMouseDown(QMouseEvent *event) = 0;
};
