#pragma once

#include <sched.h>
#include <sys/types.h>

// Keeps the calling thread off the processor a busy child works on.
//
// The overwrite tool spends most of a run of small files waiting for the disk, and is woken where
// the disk's completions arrive; this thread, taking its answers and feeding it, is woken where it
// last slept. On a virtual machine the scheduler often cannot see that the other processors are
// idle, so both end up on the one processor and the tool waits behind this thread for each turn
// (about a tenth of the tool's time in a run of 2,000 small files). So while the child runs, this
// thread leaves the child's processor to it, and gets its own processors back when the child has
// ended.
//
// Only the thread that made the first follow() is restricted, and only to fewer of the processors
// it already had; one child at a time is followed in the whole process.
class ProcessorAvoidance
{
public:
    explicit ProcessorAvoidance(pid_t child);
    ~ProcessorAvoidance();
    ProcessorAvoidance(const ProcessorAvoidance &) = delete;
    ProcessorAvoidance &operator=(const ProcessorAvoidance &) = delete;

    // Looks where the child runs now (at most every kIntervalMs) and keeps this thread off that
    // processor. Does nothing when the thread has a single processor, when another child is
    // followed, or when the child cannot be looked at.
    void follow();
    // The thread's processors as they were before the first follow(), and the same for threads it
    // started meanwhile, which were born with its narrower set.
    void release();
    // The processor the child last ran on, or -1.
    static int processorOf(pid_t process);

    static constexpr int kIntervalMs = 50;

private:
    pid_t m_child;
    pid_t m_thread = 0;
    cpu_set_t m_original;
    cpu_set_t m_everAvoided; // every processor left to the child so far
    int m_avoided = -1;
    bool m_disabled = false;
    bool m_owner = false;
    long long m_lastLookMs = -1;
};
