// Arbitrary bytes as the calibrator's archive file (a ZIP holding "arc.xml"): read it from memory.
#include "device/archive.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer zip(&bytes);
    zip.open(QIODevice::ReadOnly);
    const device::ArchiveLoad load = device::ReadArchive(zip);
    // a refused file never hands out records; an accepted one numbers them from 1
    if (!load.Ok() && !load.records.empty()) __builtin_trap();
    for (size_t i = 0; i < load.records.size(); ++i)
        if (load.records[i].cells[device::ColNumber] != QString::number(i + 1)) __builtin_trap();
    return 0;
}
