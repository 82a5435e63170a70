#pragma once

#include <unistd.h>
#include <utility>

namespace base {

// An owned file descriptor, closed when it goes. Plain C and C++ only: the overwrite tool, which
// links no Qt, holds its files with it as the program and its platform layer do.
class Descriptor
{
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Hands the descriptor over to a new owner, which closes it.
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd = -1;
};

// Both ends of a pipe or socket pair, each owned.
struct DescriptorPair
{
    Descriptor read;
    Descriptor write;
};

} // namespace base
