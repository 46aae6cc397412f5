// Arbitrary bytes as a HART response: parse and decode must stay inside what arrived.
#include "hart/hart.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    hart::ResponseRecord r;
    if (hart::THart::ParseResponse(data, int(size), &r) == 0) {
        hart::THart h;
        h.SetTablesLibrary(QStringLiteral("/nonexistent"));
        hart::DeviceRecord d;
        h.DecodeResponse(r, &d);
    }
    return 0;
}
