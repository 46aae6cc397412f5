// Arbitrary bytes as the "arc.xml" member of an archive file: parse it.
#include "device/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const device::ArchiveLoad load =
        device::ParseArcXml(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!load.Ok() && !load.records.empty()) __builtin_trap();
    if (load.records.size() > size_t(device::kMaxRecords)) __builtin_trap();
    return 0;
}
