#pragma once

#include <QString>

// Holds off idle sleep while the program works. An assertion is taken by type and name and kept
// until it is released; older desktops are instead told now and then that the user is active.
class PowerAssertion
{
public:
    using AssertionID = quint32;

    static constexpr int kReturnSuccess = 0;
    static constexpr int kReturnError = int(0xe00002bc);
    static constexpr int kReturnBadArgument = int(0xe00002c2);
    // The only assertion level that takes effect.
    static constexpr int kLevelOn = 255;
    // Keeps the display and the session from idling (screen saver, blanking, idle suspend).
    static inline const QString kPreventUserIdleDisplaySleep = QStringLiteral("PreventUserIdleDisplaySleep");
    // Activity kind for simulateUserActivity: any activity, as if the user had touched the input.
    static constexpr int kOverallAct = 0;

    virtual ~PowerAssertion() = default;

    // The process-wide instance (over D-Bus), or the one a test put in its place.
    static PowerAssertion &shared();
    // Makes shared() answer this instance (tests); nullptr restores the real one. Not owned.
    static void setSharedOverride(PowerAssertion *assertion);

    // Stores a fresh identifier in *assertionID even when the desktop refused, so the caller's
    // release is always well-formed. The status says whether anything was taken.
    virtual int createWithName(const QString &type, int level, const QString &name, AssertionID *assertionID) = 0;
    virtual int release(AssertionID assertionID) = 0;
    virtual void updateSystemActivity(int activity) = 0;
};
