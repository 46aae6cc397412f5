// Blocking waits of the GUI thread (settling of the calibrator after a mode change, the red flash
// of a field). One service, so that tests can shorten them instead of sleeping for real.
#pragma once

#include <functional>

namespace platform {

/// Waits `ms` milliseconds (through the installed hook, if any).
void BlockingDelay(int ms);
/// Replaces the wait; an empty function restores the real one.
void SetDelayHook(std::function<void(int)> hook);

/// Installs a hook for the lifetime of the object that records the waits and does not wait.
class ScopedNoDelay {
public:
    ScopedNoDelay();
    ~ScopedNoDelay();
    int Total() const { return m_total; }
    int Count() const { return m_count; }

private:
    int m_total = 0;
    int m_count = 0;
};

} // namespace platform
