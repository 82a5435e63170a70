#include "ProcessorAvoidance.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <sched.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

cpu_set_t threadProcessors()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    sched_getaffinity(0, sizeof set, &set);
    return set;
}

int lastOf(const cpu_set_t &set)
{
    for (int processor = CPU_SETSIZE - 1; processor >= 0; --processor)
        if (CPU_ISSET(processor, &set))
            return processor;
    return -1;
}

// A child kept on one processor, waking every few milliseconds (so that the processor it is on is
// the one it was moved to), under a name that has spaces and parentheses in it.
class PinnedChild
{
public:
    PinnedChild(const QTemporaryDir &folder, int processor, const QString &name)
    {
        const QString path = folder.filePath(name);
        QFile::link(QStringLiteral("/bin/sh"), path);
        m_process.start(QStringLiteral("taskset"),
                        {QStringLiteral("-c"), QString::number(processor), path, QStringLiteral("-c"),
                         QStringLiteral("while :; do sleep 0.005; done")});
        m_started = m_process.waitForStarted() &&
                    testsupport::waitUntil(
                        [&] {
                            QFile comm(QStringLiteral("/proc/%1/comm").arg(m_process.processId()));
                            return comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name.toUtf8();
                        },
                        5000);
    }
    ~PinnedChild()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool started() const { return m_started; }
    bool moveTo(int processor)
    {
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(processor, &set);
        return sched_setaffinity(pid(), sizeof set, &set) == 0 &&
               testsupport::waitUntil([&] { return ProcessorAvoidance::processorOf(pid()) == processor; }, 5000);
    }
    pid_t pid() const { return pid_t(m_process.processId()); }

private:
    QProcess m_process;
    bool m_started = false;
};

} // namespace

TEST(ProcessorAvoidance, TheThreadLeavesTheChildsProcessorAndGetsItsOwnSetBack)
{
    const cpu_set_t original = threadProcessors();
    if (CPU_COUNT(&original) < 2)
        GTEST_SKIP() << "this thread may run on one processor only";
    const int theirs = lastOf(original);
    QTemporaryDir folder;
    PinnedChild child(folder, theirs, QStringLiteral("a) b (c"));
    ASSERT_TRUE(child.started());
    EXPECT_EQ(ProcessorAvoidance::processorOf(child.pid()), theirs) << "read past the parentheses in its name";
    EXPECT_EQ(ProcessorAvoidance::processorOf(-5), -1);

    std::atomic<pid_t> startedMeanwhile{0};
    std::atomic<bool> done{false};
    std::thread helper;
    {
        ProcessorAvoidance avoidance(child.pid());
        avoidance.follow();
        cpu_set_t now = threadProcessors();
        EXPECT_FALSE(CPU_ISSET(theirs, &now));
        EXPECT_EQ(CPU_COUNT(&now), CPU_COUNT(&original) - 1) << "every other processor stays";
        helper = std::thread([&] {
            startedMeanwhile = pid_t(::syscall(SYS_gettid));
            while (!done)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        EXPECT_TRUE(testsupport::waitUntil([&] { return startedMeanwhile != 0; }, 5000));

        // One child at a time: a second follower never takes the restricted set for the original.
        ProcessorAvoidance second(child.pid());
        second.follow();
        second.release();
        now = threadProcessors();
        EXPECT_FALSE(CPU_ISSET(theirs, &now));

        // The child moves: the thread follows, leaving it the new processor and taking back the old.
        int other = -1;
        for (int processor = 0; processor < CPU_SETSIZE && other < 0; ++processor)
            other = CPU_ISSET(processor, &original) && processor != theirs ? processor : -1;
        EXPECT_TRUE(child.moveTo(other));
        std::this_thread::sleep_for(std::chrono::milliseconds(ProcessorAvoidance::kIntervalMs + 10));
        avoidance.follow();
        now = threadProcessors();
        EXPECT_FALSE(CPU_ISSET(other, &now));
        EXPECT_TRUE(CPU_ISSET(theirs, &now));
    }
    cpu_set_t after = threadProcessors();
    EXPECT_TRUE(CPU_EQUAL(&after, &original)) << "the thread's own processors came back";
    cpu_set_t helpers;
    CPU_ZERO(&helpers);
    EXPECT_TRUE(startedMeanwhile != 0 && sched_getaffinity(startedMeanwhile, sizeof helpers, &helpers) == 0 &&
                CPU_EQUAL(&helpers, &original))
        << "and those of a thread it started meanwhile";
    done = true;
    helper.join();

    // A thread already kept off the child's processor is never widened to it.
    ASSERT_TRUE(child.moveTo(theirs));
    cpu_set_t narrower = original;
    CPU_CLR(theirs, &narrower);
    ASSERT_EQ(sched_setaffinity(0, sizeof narrower, &narrower), 0);
    {
        ProcessorAvoidance avoidance(child.pid());
        avoidance.follow();
        after = threadProcessors();
        EXPECT_TRUE(CPU_EQUAL(&after, &narrower));
    }
    after = threadProcessors();
    EXPECT_TRUE(CPU_EQUAL(&after, &narrower));
    sched_setaffinity(0, sizeof original, &original);
}
