#pragma once

// What the owner of the history view hears from it.
class HistoryWindowControllerDelegate
{
public:
    virtual ~HistoryWindowControllerDelegate() = default;
    // The back button was pressed; the owner leaves the history pane.
    virtual void backButtonAction() {}
};
