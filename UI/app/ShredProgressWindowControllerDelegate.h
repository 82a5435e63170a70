#pragma once

// What the erase progress window asks of its opener. A delegate overrides only what it handles;
// the others do nothing.
class ShredProgressWindowControllerDelegate
{
public:
    virtual ~ShredProgressWindowControllerDelegate() = default;

    // "Erase Now" was pressed; the progress pane already shows.
    virtual void doDeleteButtonClick() {}
    // Stop was pressed.
    virtual void cancelShred() {}
    // The view-log button was pressed; the window has already closed.
    virtual void viewLog() {}
};
