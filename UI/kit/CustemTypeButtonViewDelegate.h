#pragma once

#include <QtGlobal>

// Told when a navigation tile is clicked. The default does nothing, which is how an owner that
// adopts the interface without caring about clicks leaves them without effect.
class CustemTypeButtonViewDelegate
{
public:
    virtual ~CustemTypeButtonViewDelegate() = default;
    virtual void mouseClickAction(qint32 tag) { Q_UNUSED(tag); }
};
