#pragma once

#include <QString>

// Title-bar buttons that belong together share a group, which counts how many of them hold the
// pointer; their rollover images show while that count is above zero. Groups are registered by
// identifier for the life of the process and used from the main thread only.
class TCWindowButtonGroup
{
public:
    static const QString DefaultIdentifier;
    static const QString DidUpdateRolloverStateNotification;

    // The group registered under the identifier, made on first use; an empty identifier means
    // the default group. The registry owns every group.
    static TCWindowButtonGroup *groupWithIdentifier(const QString &identifier = QString());

    explicit TCWindowButtonGroup(const QString &identifier);

    QString identifier() const { return m_identifier; }
    qint64 numberOfCaptures() const { return m_numberOfCaptures; }

    // Stores a new, non-negative count and tells the group's buttons to refresh; the same count or
    // a negative one changes nothing.
    void setNumberOfCaptures(qint64 count);
    // Capture and release only count: the button under the pointer refreshes itself.
    void didCaptureMousePointer() { ++m_numberOfCaptures; }
    void didReleaseMousePointer() { --m_numberOfCaptures; }
    void resetMouseCaptures() { m_numberOfCaptures = 0; }
    // A capture given back without the pointer leaving (its window hid, closed or lost focus
    // under it): the count drops, never below zero, and every button of the group refreshes, so
    // that none keeps the rollover look for a pointer that is no longer there.
    void didLosePointerWithoutLeaving();
    bool shouldDisplayRollOver() const { return m_numberOfCaptures > 0; }

private:
    QString m_identifier;
    qint64 m_numberOfCaptures = 0;
};
