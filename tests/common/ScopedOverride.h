#pragma once

#include <type_traits>
#include <utility>

namespace testsupport {

// Sets a seam's test override for as long as it lives and takes it back when it goes, also when a
// failed assertion ends the test early: an override left behind changes every test after it.
// What was in force before is no override at all, unless named (the test main's own defaults).
template <typename Parameter>
class ScopedOverride
{
public:
    using Value = std::remove_cvref_t<Parameter>;
    using Setter = void (*)(Parameter);

    ScopedOverride(Setter set, Value value, Value previous = Value{})
        : m_set(set), m_previous(std::move(previous))
    {
        m_set(std::move(value));
    }
    ~ScopedOverride() { m_set(std::move(m_previous)); }
    ScopedOverride(const ScopedOverride &) = delete;
    ScopedOverride &operator=(const ScopedOverride &) = delete;

    // Another override for the rest of the scope; the one taken back at the end stays the same.
    void set(Value value) { m_set(std::move(value)); }

private:
    Setter m_set;
    Value m_previous;
};

template <typename Parameter, typename Given>
ScopedOverride(void (*)(Parameter), Given &&) -> ScopedOverride<Parameter>;
template <typename Parameter, typename Given, typename Previous>
ScopedOverride(void (*)(Parameter), Given &&, Previous &&) -> ScopedOverride<Parameter>;

} // namespace testsupport
