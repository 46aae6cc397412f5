// A stand-in for the conditions meter library: its answer depends on the meter's serial number.
//   "1001"  22.8 °C, 45.5 %, 745.9 mm Hg
//   "1002"  -0.7, 99.99, 3e9 (beyond the integer range)
//   "1003"  writes values but answers 0 (no reading)
//   "1004"  NaN, +inf, -inf
//   "1005"  answers yes without writing anything
//   other   answers 0
// Built with EKSIS_WITHOUT_READ it exports no EKSIS_USB_Read at all.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

char g_serial[64];
std::int32_t g_args[3];
int g_calls = 0;

} // namespace

extern "C" {

#ifndef EKSIS_WITHOUT_READ
__attribute__((visibility("default"))) unsigned char EKSIS_USB_Read(const char* serial, std::int32_t command,
                                                                    std::int32_t channel, float* values,
                                                                    std::int32_t size)
{
    ++g_calls;
    std::strncpy(g_serial, serial, sizeof g_serial - 1);
    g_args[0] = command;
    g_args[1] = channel;
    g_args[2] = size;
    if (size < 12) return 0;
    auto put = [values](float a, float b, float c) {
        values[0] = a;
        values[1] = b;
        values[2] = c;
    };
    if (std::strcmp(serial, "1001") == 0) {
        put(22.8f, 45.5f, 745.9f);
        return 1;
    }
    if (std::strcmp(serial, "1002") == 0) {
        put(-0.7f, 99.99f, 3e9f);
        return 1;
    }
    if (std::strcmp(serial, "1003") == 0) {
        put(20, 50, 750);
        return 0;
    }
    if (std::strcmp(serial, "1004") == 0) {
        put(std::numeric_limits<float>::quiet_NaN(), INFINITY, -INFINITY);
        return 1;
    }
    return std::strcmp(serial, "1005") == 0 ? 1 : 0;
}
#endif

/// For tests that keep the library loaded: the serial, command, channel and size of the last call,
/// and the number of calls.
__attribute__((visibility("default"))) int Standin_LastCall(char* serial, std::int32_t* args)
{
    std::memcpy(serial, g_serial, sizeof g_serial);
    std::memcpy(args, g_args, sizeof g_args);
    return g_calls;
}
}
