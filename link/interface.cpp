#include "link/interface.h"

#include "platform/cnumber.h"
#include "platform/cp1251.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace devlink {

TInterface::TInterface()
{
    m_uail.Initialise(QString(), 115200, 1, 150);
}

bool TInterface::ConvertInt(const char* reply, int* value)
{
    return platform::ScanInt(reply, value);
}

bool TInterface::ConvertReal(const char* reply, float* value)
{
    if (!reply) return false;
    if (reply[0] == '\0' || std::strcmp(reply, "NaN") == 0) {
        if (value) *value = std::numeric_limits<float>::quiet_NaN();
        return true;
    }
    // The whole reply must convert, as a decimal real with '.' whatever the user's locale.
    const char* p = reply;
    while (*p == ' ')
        ++p;
    double v = 0;
    const int used = platform::ScanDouble(p, &v);
    if (used == 0) return false;
    const char* end = p + used;
    while (*end == ' ' || *end == '\r' || *end == '\n')
        ++end;
    if (*end != '\0') return false;
    if (value) *value = float(v);
    return true;
}

int TInterface::Identify()
{
    return m_uail.CommandOnly(CmdIdentify);
}

int TInterface::ReadRegister(int reg)
{
    return m_uail.CommandRegister(CmdReadRegister, reg);
}

int TInterface::ReadRegisterInt(int reg, int* value)
{
    if (ReadRegister(reg) != 0) return -1;
    return ConvertInt(ReplyData(), value) ? 0 : -2;
}

int TInterface::ReadRegisterReal(int reg, float* value)
{
    if (ReadRegister(reg) != 0) return -1;
    ConvertReal(ReplyData(), value);
    return 0;
}

int TInterface::ReadRegisterText(int reg, char* buffer, int size)
{
    if (!buffer || size <= 0) return -1;
    if (ReadRegister(reg) != 0) return -1;
    platform::CopyBounded(buffer, size, ReplyData());
    return 0;
}

int TInterface::ReadRegisterText(int reg, QString* text)
{
    if (ReadRegister(reg) != 0) return -1;
    if (text) *text = ReplyText();
    return 0;
}

int TInterface::WriteRegisterInt(int reg, int value)
{
    return m_uail.CommandRegisterInt(CmdWriteRegister, reg, value);
}

int TInterface::WriteRegisterReal(int reg, float value)
{
    if (!std::isfinite(value)) return kConversionError; // never "nan" or "inf" on the wire
    return m_uail.CommandRegisterReal(CmdWriteRegister, reg, value);
}

bool TInterface::TextToReal(const QString& text, float* value)
{
    const QByteArray latin = text.trimmed().toLatin1();
    float v = 0;
    if (latin.isEmpty() || latin == "NaN" || !ConvertReal(latin.constData(), &v) || !std::isfinite(v))
        return false;
    if (value) *value = v;
    return true;
}

int TInterface::WriteRegisterFromText(int reg, const QString& text)
{
    float v = 0;
    if (!TextToReal(text, &v)) return kConversionError;
    return WriteRegisterReal(reg, v);
}

int TInterface::ReadBlock(int object, std::uint8_t* buffer, int capacity, int* count)
{
    return m_uail.BlockRead(object, buffer, capacity, count);
}

int TInterface::WriteBlock(int object, const std::uint8_t* bytes, int count)
{
    return m_uail.BlockWrite(object, bytes, count);
}

QString TInterface::ReplyText() const
{
    return platform::FromCp1251(std::string_view(ReplyData()));
}

int TInterface::ReadDeviceSerialNumber()
{
    const int r = ReadRegisterText(SerialNumber, m_serial, int(sizeof m_serial));
    if (r != 0) platform::CopyBounded(m_serial, int(sizeof m_serial), "-1");
    return r;
}

void TInterface::SetDeviceSerialNumber(const char* text)
{
    platform::CopyBounded(m_serial, int(sizeof m_serial), text);
}

} // namespace devlink
