#include "platform/delay.h"

#include <chrono>
#include <thread>

namespace platform {
namespace {
std::function<void(int)> g_hook;
}

void BlockingDelay(int ms)
{
    if (ms <= 0) return;
    if (g_hook) {
        g_hook(ms);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetDelayHook(std::function<void(int)> hook) { g_hook = std::move(hook); }

ScopedNoDelay::ScopedNoDelay()
{
    SetDelayHook([this](int ms) {
        m_total += ms;
        ++m_count;
    });
}

ScopedNoDelay::~ScopedNoDelay() { SetDelayHook({}); }

} // namespace platform
