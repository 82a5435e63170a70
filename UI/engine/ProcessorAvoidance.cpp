#include "ProcessorAvoidance.h"

#include "base/Descriptor.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The one follower allowed at a time, so that nobody takes a restricted set for the original.
std::atomic<const ProcessorAvoidance *> follower{nullptr};

long long nowMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

ProcessorAvoidance::ProcessorAvoidance(pid_t child) : m_child(child)
{
    CPU_ZERO(&m_original);
    CPU_ZERO(&m_everAvoided);
}

ProcessorAvoidance::~ProcessorAvoidance()
{
    release();
}

int ProcessorAvoidance::processorOf(pid_t process)
{
    const std::string path = "/proc/" + std::to_string(process) + "/stat";
    const base::Descriptor stat(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!stat.valid())
        return -1;
    char text[1024];
    ssize_t got = 0;
    do
        got = ::read(stat.get(), text, sizeof text - 1);
    while (got < 0 && errno == EINTR);
    if (got <= 0)
        return -1;
    text[got] = '\0';
    // The name in parentheses may hold spaces and parentheses itself: the fields start after the
    // last closing one, with the state (the third field); the processor is the 39th.
    const char *field = std::strrchr(text, ')');
    if (!field)
        return -1;
    ++field;
    for (int number = 3; number <= 39; ++number) {
        while (*field == ' ')
            ++field;
        if (*field == '\0')
            return -1;
        if (number == 39) {
            char *end = nullptr;
            const long processor = std::strtol(field, &end, 10);
            return end != field && processor >= 0 && processor < CPU_SETSIZE ? int(processor) : -1;
        }
        while (*field != ' ' && *field != '\0')
            ++field;
    }
    return -1;
}

void ProcessorAvoidance::follow()
{
    if (m_disabled || m_child <= 0)
        return;
    const long long now = nowMs();
    if (m_lastLookMs >= 0 && now - m_lastLookMs < kIntervalMs)
        return;
    m_lastLookMs = now;
    if (!m_owner) {
        const ProcessorAvoidance *none = nullptr;
        if (!follower.compare_exchange_strong(none, this)) {
            m_disabled = true; // another child is followed: this thread's set is not its own now
            return;
        }
        m_owner = true;
        m_thread = pid_t(::syscall(SYS_gettid));
        if (::sched_getaffinity(m_thread, sizeof m_original, &m_original) != 0 || CPU_COUNT(&m_original) < 2) {
            release();
            m_disabled = true;
            return;
        }
    }
    const int processor = processorOf(m_child);
    if (processor < 0 || processor == m_avoided || !CPU_ISSET(processor, &m_original))
        return;
    cpu_set_t others = m_original;
    CPU_CLR(processor, &others);
    if (::sched_setaffinity(m_thread, sizeof others, &others) != 0) {
        release();
        m_disabled = true;
        return;
    }
    m_avoided = processor;
    CPU_SET(processor, &m_everAvoided);
}

void ProcessorAvoidance::release()
{
    if (!m_owner)
        return;
    if (m_avoided >= 0) {
        ::sched_setaffinity(m_thread, sizeof m_original, &m_original);
        // Threads started by this one meanwhile were born with one of its narrower sets (the
        // original less one processor it left to the child): theirs comes back as well.
        if (DIR *tasks = ::opendir("/proc/self/task")) {
            while (const dirent *task = ::readdir(tasks)) {
                const pid_t id = pid_t(std::strtol(task->d_name, nullptr, 10));
                cpu_set_t set;
                CPU_ZERO(&set);
                if (id <= 0 || id == m_thread || ::sched_getaffinity(id, sizeof set, &set) != 0)
                    continue;
                cpu_set_t missing;
                CPU_XOR(&missing, &set, &m_original);
                cpu_set_t left;
                CPU_AND(&left, &missing, &m_everAvoided);
                if (CPU_COUNT(&missing) == 1 && CPU_EQUAL(&left, &missing))
                    ::sched_setaffinity(id, sizeof m_original, &m_original);
            }
            ::closedir(tasks);
        }
    }
    m_avoided = -1;
    m_owner = false;
    follower.store(nullptr);
}
