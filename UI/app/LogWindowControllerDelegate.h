#pragma once

// What the owner of the failed-items log hears from it. Both have empty defaults, so an owner
// overrides only what it answers.
class LogWindowControllerDelegate
{
public:
    virtual ~LogWindowControllerDelegate() = default;
    // The list was emptied (also when it already was empty).
    virtual void emptyEndArr() {}
    // The close button was pressed; the owner ends the window's modal run and hides it.
    virtual void closeLogWindow() {}
};
