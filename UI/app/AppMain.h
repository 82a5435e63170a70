#pragma once

#include "platform/PowerAssertion.h"

#include <functional>

class QTimer;

// The main program's start. Started by the launcher with one argument (the interface language
// code) it runs; started bare it hands over to the launcher's bundle, which asks for the
// administrator password and starts it again. While it runs it keeps the machine from idling.

// The start-up decision; answers the process's exit status.
int NullwellMain(int argc, char *argv[]);
// Opens the outer bundle (three path components above our own); true when that worked.
bool KestrumRunLoader();
// Takes the idle inhibitor, or where none can be had starts the 30-second activity timer.
// The same as BeginPreventSleep() followed at once by FinishPreventSleep().
void PreventSleep();
// Starts asking for the idle inhibitor on a thread of its own, so that the bus round trips overlap
// the building of the first window. Needs the application object when one is to be used.
void BeginPreventSleep();
// Waits for what BeginPreventSleep() asked and, where no inhibitor was granted, starts the activity
// timer. Does nothing when nothing is pending. The loop calls it once the main window shows and
// before it handles any event, so nothing the person does (an erase above all) comes before it.
void FinishPreventSleep();
// Lets go of what PreventSleep took.
void ReleasePreventObj();
// The activity timer's tick: tells the desktop the user is active.
void MyTimerCallback(QTimer *timer, void *info);
// Stores code as the user's preferred language.
void setCurLanguage(const char *code);

namespace appmain {

constexpr int kActivityIntervalMs = 30000;
inline const QString kAssertionName = QStringLiteral("Ostrivan Nullwell is running");

// Runs the application's event loop with the application object that already exists and answers
// its result; tests may put another loop in its place (an empty function restores the real one).
int NSApplicationMain(int argc, char *argv[]);
void setApplicationLoopOverride(std::function<int(int argc, char *argv[])> loop);

// What the sleep prevention holds right now (for tests).
const QTimer *activityTimer();
PowerAssertion::AssertionID currentAssertionID();

} // namespace appmain
