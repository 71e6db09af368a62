#pragma once

#include "core/files/platform.h"

// Shows the hourglass for as long as it lives, so every way out of a handler
// puts the arrow back.
class WaitCursor
{
public:
    explicit WaitCursor(platform::MousePointer &mouse)
        : m_mouse(mouse)
    {
        m_mouse.setHourglass();
    }
    ~WaitCursor() { m_mouse.setArrow(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    platform::MousePointer &m_mouse;
};
