// Arbitrary bytes as an INI file (settings, projects, language files): parse and write back.
#include "platform/ini.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::IniFile ini;
    ini.ParseBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QByteArray again = ini.Serialize();
    platform::IniFile second;
    second.ParseBytes(again);
    if (second.Sections() != ini.Sections()) __builtin_trap(); // what was written reads back the same
    return 0;
}
