#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

// How the engine's workers hold their delegates. A shared pointer is retained; a plain pointer is
// not owned, and when the delegate is also a QObject its destruction is noticed, so a worker never
// calls a delegate that is gone.
template <typename Delegate>
class DelegateRef
{
public:
    Delegate *get() const
    {
        if (m_isObject && !m_object)
            return nullptr;
        return m_raw;
    }

    void set(Delegate *delegate)
    {
        m_retained.reset();
        m_raw = delegate;
        m_object = dynamic_cast<QObject *>(delegate);
        m_isObject = !m_object.isNull();
    }

    void set(const std::shared_ptr<Delegate> &delegate)
    {
        set(delegate.get());
        m_retained = delegate;
    }

private:
    Delegate *m_raw = nullptr;
    std::shared_ptr<Delegate> m_retained;
    QPointer<QObject> m_object;
    bool m_isObject = false;
};
