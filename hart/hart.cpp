#include "hart/hart.h"

#include "platform/cp1251.h"
#include "platform/library.h"

#include <cstring>

namespace hart {

float BigEndianFloat(const std::uint8_t* b)
{
    const std::uint32_t v =
        (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

std::uint8_t THart::CheckByte(const std::uint8_t* bytes, int count)
{
    std::uint8_t x = 0;
    for (int i = 0; i < count; ++i)
        x ^= bytes[i];
    return x;
}

void THart::Configure(int preambles, int trailing)
{
    m_preambles = preambles;
    m_trailing = trailing;
}

int THart::BuildFrame(std::uint8_t* buffer, int capacity, std::uint8_t delimiter, const std::uint8_t* address,
                      int addressLength, int command, int count, const std::uint8_t* data) const
{
    const int length = m_preambles + 4 + addressLength + count + m_trailing;
    if (!buffer || count < 0 || count > 255 || length > capacity || (count > 0 && !data)) return -1;
    int n = 0;
    for (int i = 0; i < m_preambles; ++i)
        buffer[n++] = 0xFF;
    const int start = n;
    buffer[n++] = delimiter;
    for (int i = 0; i < addressLength; ++i)
        buffer[n++] = address[i];
    buffer[n++] = std::uint8_t(command);
    buffer[n++] = std::uint8_t(count);
    for (int i = 0; i < count; ++i)
        buffer[n++] = data[i];
    buffer[n] = CheckByte(buffer + start, n - start);
    ++n;
    for (int i = 0; i < m_trailing; ++i)
        buffer[n++] = 0xFF;
    return n;
}

int THart::BuildShortFrame(std::uint8_t* buffer, int capacity, int pollingAddress, int command, int count,
                           const std::uint8_t* data) const
{
    const std::uint8_t address = std::uint8_t((pollingAddress & 0x0F) | 0x80); // primary master
    return BuildFrame(buffer, capacity, 0x02, &address, 1, command, count, data);
}

int THart::BuildLongFrame(std::uint8_t* buffer, int capacity, const std::uint8_t address[5], int command,
                          int count, const std::uint8_t* data) const
{
    if (!address) return -1;
    return BuildFrame(buffer, capacity, 0x82, address, 5, command, count, data);
}

int THart::ParseResponse(const std::uint8_t* b, int n, ResponseRecord* r)
{
    if (!b || n <= 0 || !r) return -1;
    *r = ResponseRecord();
    int i = 0;
    while (i < n && b[i] == 0xFF)
        ++i;
    if (i >= n) return -1;
    const int delim = i;
    r->delimiter = b[i++];
    if (r->delimiter & 0x80) {
        if (n - delim < 10) return -1;
        for (int k = 0; k < 5; ++k)
            r->address[k] = b[i++];
    } else {
        if (i >= n) return -1;
        r->pollingAddress = b[i++] & 0x0F;
    }
    // command, byte count, response code, device status
    if (i + 4 > n) return -1;
    r->command = b[i++];
    const int byteCount = b[i++];
    if (byteCount < 2) return -1;
    r->dataCount = byteCount - 2;
    r->responseCode = b[i++];
    r->deviceStatus = b[i++];
    if (i + r->dataCount + 1 > n) return -1; // data and check byte must lie within what arrived
    std::memcpy(r->data, b + i, size_t(r->dataCount));
    i += r->dataCount;
    return CheckByte(b + delim, i - delim) == b[i] ? 0 : -1;
}

int THart::DecodeResponse(const ResponseRecord& r, DeviceRecord* d) const
{
    if (r.responseCode != 0) return r.responseCode;
    if (!d) return 0;
    switch (r.command) {
    case 0:
        if (r.dataCount < 12) return kTooShort;
        if (r.data[0] != 254) return 0;
        d->expandedType = std::uint16_t(r.data[1] * 256 + r.data[2]);
        d->longAddress[0] = std::uint8_t(0x80 | (r.data[1] & 0x3F));
        d->longAddress[1] = r.data[2];
        d->longAddress[2] = r.data[9];
        d->longAddress[3] = r.data[10];
        d->longAddress[4] = r.data[11];
        d->model = TableText(0, d->expandedType);
        break;
    case 1:
        if (r.dataCount < 5) return kTooShort; // never the previous reading
        d->unitCode = r.data[0];
        d->pv = BigEndianFloat(r.data + 1);
        d->unit = TableText(2, d->unitCode);
        break;
    case 15:
        if (r.dataCount < 11) return kTooShort;
        d->unitCode = r.data[2];
        d->upperRange = BigEndianFloat(r.data + 3);
        d->lowerRange = BigEndianFloat(r.data + 7);
        d->unit = TableText(2, d->unitCode);
        break;
    default:
        break;
    }
    return 0;
}

QString THart::TableText(int table, int code) const
{
    platform::SharedLibrary lib;
    if (lib.Load(m_library) != platform::SharedLibrary::Status::Loaded) return {};
    using Fn = const char* (*)(int, int);
    const auto f = reinterpret_cast<Fn>(lib.Resolve("GetStrByCode"));
    if (!f) return {};
    const char* text = f(table, code);
    return text ? platform::FromCp1251(std::string_view(text, strnlen(text, 512)))
                : QString(); // copied before release
}

} // namespace hart
