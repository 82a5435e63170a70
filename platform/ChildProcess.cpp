#include "platform/ChildProcess.h"

#include "platform/NativePath.h"

#include <cerrno>
#include <sys/wait.h>

ChildProcess::Vector::Vector(std::vector<QByteArray> items) : m_items(std::move(items))
{
    m_pointers.reserve(m_items.size() + 1);
    for (QByteArray &item : m_items)
        m_pointers.push_back(item.data());
    m_pointers.push_back(nullptr);
}

std::optional<ChildProcess::Vector> ChildProcess::arguments(const QString &program,
                                                            const QStringList &arguments)
{
    std::vector<QByteArray> items;
    items.reserve(size_t(arguments.size()) + 1);
    for (const QString &text : QStringList{program} + arguments) {
        std::optional<QByteArray> bytes = NativePath::encode(text);
        if (!bytes)
            return std::nullopt;
        items.push_back(std::move(*bytes));
    }
    return Vector(std::move(items));
}

pid_t ChildProcess::wait(pid_t pid, int *status, int options)
{
    pid_t result;
    do {
        result = ::waitpid(pid, status, options);
    } while (result < 0 && errno == EINTR);
    return result;
}
