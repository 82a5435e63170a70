#pragma once

#include <cstring>
#include <string>

namespace base {

namespace detail {
// GNU strerror_r hands back the text (perhaps a static one); the XSI form fills the buffer.
inline std::string errorTextFrom(const char *text, const char *, int) { return text; }
inline std::string errorTextFrom(int result, const char *buffer, int error)
{
    return result == 0 ? std::string(buffer) : "Unknown error " + std::to_string(error);
}
} // namespace detail

// The system's words for an errno value. strerror() may hand back a buffer another thread is
// overwriting; this is safe from any thread (the work list and the history are built off the
// window's thread).
inline std::string errorText(int error)
{
    char buffer[256] = {};
    return detail::errorTextFrom(::strerror_r(error, buffer, sizeof buffer), buffer, error);
}

} // namespace base
