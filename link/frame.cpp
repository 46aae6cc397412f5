#include "link/frame.h"

#include <cstdio>
#include <cstring>
#include <iterator>

namespace devlink {

std::uint16_t Crc16Step(std::uint16_t crc, std::uint8_t byte)
{
    crc ^= byte;
    for (int i = 0; i < 8; ++i) {
        const bool lsb = crc & 1u;
        crc >>= 1;
        if (lsb) crc ^= 0xA001;
    }
    return crc;
}

std::uint16_t Crc16(const std::uint8_t* data, std::size_t length, std::uint16_t crc)
{
    for (std::size_t i = 0; i < length; ++i) crc = Crc16Step(crc, data[i]);
    return crc;
}

int BuildRequestFrame(std::string_view text, std::uint8_t* out, int capacity)
{
    char digits[8];
    const int nd = std::snprintf(digits, sizeof digits, "%u", unsigned(Crc16(text)));
    const int total = 2 + int(text.size()) + nd + 1;
    if (!out || total > capacity) return -1;
    out[0] = 0xFF;
    out[1] = ':';
    std::memcpy(out + 2, text.data(), text.size());
    std::memcpy(out + 2 + text.size(), digits, size_t(nd));
    out[total - 1] = 0x0D;
    return total;
}

std::string RequestFrame(std::string_view text)
{
    std::string out(text.size() + 16, '\0');
    const int n = BuildRequestFrame(text, reinterpret_cast<std::uint8_t*>(out.data()), int(out.size()));
    out.resize(size_t(n));
    return out;
}

std::string ReplyFrame(int address, std::string_view data, int deviceError, bool withCr)
{
    std::string body = std::to_string(address) + ';' + std::string(data);
    if (deviceError > 0) body += '$' + std::to_string(deviceError);
    body += ';';
    std::string out = "\xFF!" + body + std::to_string(Crc16(body));
    if (withCr) out += '\r';
    return out;
}

void ReplyParser::Reset()
{
    state = WaitStart;
    address = 0;
    deviceError = 0;
    received = 0;
    computed = 0xFFFF;
    writePos = 0;
    data[0] = '\0';
    dataLength = 0;
    overflow = false;
}

bool ReplyParser::ParseByte(std::uint8_t b)
{
    if (b == 0xFF) {
        Reset();
        return false;
    }
    switch (state) {
    case WaitStart:
        if (b == kStart) state = Address;
        return false;
    case Address:
        if (b == kSeparator) state = Data;
        else address = std::uint8_t(address * 10 + (b - '0'));
        computed = Crc16Step(computed, b);
        return false;
    case Data:
        if (b == '$') {
            state = ErrorCode;
        } else if (b == kSeparator) {
            data[writePos] = '\0';
            state = Checksum;
        } else if (writePos < kBufferSize - 1) {
            data[writePos++] = char(b);
            ++dataLength;
        } else {
            overflow = true; // never store past the buffer; such a reply is not taken
        }
        computed = Crc16Step(computed, b);
        return false;
    case ErrorCode:
        if (b == kSeparator) state = Checksum;
        else deviceError = std::uint8_t(deviceError * 10 + (b - '0'));
        computed = Crc16Step(computed, b);
        return false;
    case Checksum:
        if (b != 0x0D) received = std::uint16_t(received * 10 + (b - '0'));
        if (received == computed) {
            state = WaitStart;
            return !overflow;
        }
        return false;
    default:
        state = WaitStart;
        computed = Crc16Step(computed, b);
        return false;
    }
}

int HexEncode(char* dest, const std::uint8_t* bytes, int count)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    int n = 0;
    for (int i = 0; i < count; ++i) {
        dest[n++] = kDigits[bytes[i] >> 4];
        dest[n++] = kDigits[bytes[i] & 0x0F];
    }
    dest[n++] = ';';
    dest[n] = '\0';
    return n;
}

namespace {
int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}
} // namespace

int HexDecode(std::uint8_t* dest, const char* hex, int pairs)
{
    int n = 0;
    for (; n < pairs; ++n) {
        const char hi = hex[2 * n];
        if (hi == '\0') break;
        const char lo = hex[2 * n + 1];
        dest[n] = std::uint8_t(HexValue(hi) * 16 + (lo == '\0' ? 0 : HexValue(lo)));
        if (lo == '\0') {
            ++n;
            break;
        }
    }
    return n;
}

bool RequestParser::ParseByte(std::uint8_t b)
{
    constexpr std::size_t kMaxBody = 4 * kBufferSize;
    if (b == 0xFF) {
        m_state = State::Colon;
        m_body.clear();
        return false;
    }
    switch (m_state) {
    case State::Idle:
        return false;
    case State::Colon:
        m_state = b == ':' ? State::Body : State::Idle;
        return false;
    case State::Body:
        if (b != 0x0D) {
            if (m_body.size() >= kMaxBody) {
                ++m_rejected;
                m_state = State::Idle;
            } else {
                m_body.push_back(char(b));
            }
            return false;
        }
        m_state = State::Idle;
        {
            const std::size_t cut = m_body.rfind(';');
            if (cut == std::string::npos || cut + 1 == m_body.size() || m_body.size() - cut - 1 > 5) {
                ++m_rejected;
                return false;
            }
            unsigned long crc = 0;
            for (std::size_t i = cut + 1; i < m_body.size(); ++i) {
                const char c = m_body[i];
                if (c < '0' || c > '9') {
                    ++m_rejected;
                    return false;
                }
                crc = crc * 10 + unsigned(c - '0');
            }
            const std::string_view text(m_body.data(), cut + 1);
            if (crc != Crc16(text)) {
                ++m_rejected;
                return false;
            }
            m_text.assign(text);
            return true;
        }
    }
    return false;
}

const char* ResultText(int result)
{
    switch (result) {
    case 0: return "Ok";
    case -1: return "Ошибка открытия порта";
    case -2: return "Ошибка посылки команды в порт";
    case -3: return "Прибор не отвечает";
    case -4: return "Ошибка в приборе";
    default: return "undeclared error";
    }
}

const char* DeviceErrorText(int code)
{
    static constexpr const char* kTexts[] = {
        "Нет ошибок",
        "Неизвестная команда",
        "Неверный формат команды",
        "Параметр не найден",
        "Нарушение прав доступа",
        "Ошибка чтения",
        "Выход параметра за границу диапазона",
        "Файл не найден",
        "Нехватает памяти",
        "Недопустимый идентификатор файла ",
        "Отсутствует место на физическом носителе",
        "Внутренняя ошибка прибора",
        "Ошибочный аргумент",
        "reserv 13",
        "объект не существует",
        "операция не выполнена",
        "нет функция записи",
        "нет функция чтения",
        "функция чтения вызвала программное исключение",
        "функция записи вызвала программное исключение",
    };
    if (code < 0 || code >= int(std::size(kTexts))) return "undeclared error";
    return kTexts[code];
}

} // namespace devlink
