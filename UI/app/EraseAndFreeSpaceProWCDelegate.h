#pragma once

// What the drive and free-space wipe window asks of its opener. A delegate overrides only what it
// handles; the others do nothing.
class EraseAndFreeSpaceProWCDelegate
{
public:
    virtual ~EraseAndFreeSpaceProWCDelegate() = default;

    // "Continue" was pressed; the progress pane already shows.
    virtual void doEraserButtonClick() {}
    // Stop was pressed.
    virtual void cancelEraserButtonAction() {}
};
