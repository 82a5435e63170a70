#pragma once

// What the erasure-method view tells its owner. The default does nothing.
class SetEraserTimesWindowControllerDelegate
{
public:
    virtual ~SetEraserTimesWindowControllerDelegate() = default;

    // The back button was pressed; the chosen method is already saved.
    virtual void backHomeButtonAction() {}
};
