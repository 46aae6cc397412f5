#include "device/configuration.h"

#include <cstring>

namespace device {

const ConfigRegister* WritableConfigRegister(const char* name)
{
    for (const ConfigRegister& r : kConfigWriteOrder)
        if (std::strcmp(r.name, name) == 0) return &r;
    return nullptr;
}

int BrightnessRegister(int position)
{
    return 101 - position;
}

int BrightnessPosition(int reg)
{
    return reg == 92 ? 1 : 101 - reg;
}

int BacklightItem(int seconds)
{
    for (int i = 0; i < 5; ++i)
        if (kBacklightSeconds[i] == seconds) return i;
    return -1;
}

int AutoOffItem(int minutes)
{
    for (int i = 0; i < 3; ++i)
        if (kAutoOffMinutes[i] == minutes) return i;
    return 3;
}

} // namespace device
