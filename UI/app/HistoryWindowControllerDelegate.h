#pragma once

#include <memory>

// What the owner of the history view hears from it.
class HistoryWindowControllerDelegate
{
public:
    HistoryWindowControllerDelegate() = default;
    // A copy is another listener with a life of its own.
    HistoryWindowControllerDelegate(const HistoryWindowControllerDelegate &) {}
    HistoryWindowControllerDelegate &operator=(const HistoryWindowControllerDelegate &) { return *this; }
    virtual ~HistoryWindowControllerDelegate() = default;

    // The back button was pressed; the owner leaves the history pane.
    virtual void backButtonAction() {}

    // Expires when this listener is destroyed, so the view never calls a listener that is gone.
    std::weak_ptr<const void> lifeToken() const { return m_lifeToken; }

private:
    std::shared_ptr<const char> m_lifeToken = std::make_shared<const char>('\0');
};
