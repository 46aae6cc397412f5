// The calibrator's frame protocol on bytes: checksum, request and reply frames, the byte-by-byte
// reply parser, hex block encoding, and the texts of exchange results and device errors.
//
// Request frame: 0xFF, ':', the request text ("1;37;400;"), the CRC-16/MODBUS of the text in
// decimal without padding, CR. Reply frame: 0xFF, '!', address digits, ';', data, ';' (or data,
// '$', device error code, ';'), the CRC-16 of everything from the first address digit through that
// ';' in decimal, and an optional CR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace devlink {

/// Size of each of the frame layer's buffers (transmit, receive, request text, reply data).
inline constexpr int kBufferSize = 1024;

/// CRC-16/MODBUS: reflected polynomial 0xA001, initial 0xFFFF, no final XOR. Check value of
/// "123456789" is 0x4B37 (RevEng CRC catalogue).
std::uint16_t Crc16(const std::uint8_t* data, std::size_t length, std::uint16_t crc = 0xFFFF);
inline std::uint16_t Crc16(std::string_view text)
{
    return Crc16(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}
/// One step of the checksum: the register after taking one more byte.
std::uint16_t Crc16Step(std::uint16_t crc, std::uint8_t byte);

/// Formats the request frame of `text` into `out`. Returns the frame length, or -1 when it does
/// not fit into `capacity` bytes.
int BuildRequestFrame(std::string_view text, std::uint8_t* out, int capacity);
/// The same as a byte string.
std::string RequestFrame(std::string_view text);

/// A reply frame as the calibrator sends it: data, or a device error code when `deviceError` > 0.
std::string ReplyFrame(int address, std::string_view data, int deviceError = 0, bool withCr = true);

/// The reply parser: feed every received byte; ParseByte returns true when a whole reply with a
/// valid checksum has been taken. 0xFF restarts it from anywhere.
struct ReplyParser {
    enum State : std::int8_t { WaitStart = 1, Address = 2, Data = 3, ErrorCode = 4, Checksum = 5 };

    std::uint8_t address = 0;          ///< reply address digits, modulo 256 (never compared)
    char data[kBufferSize] = {};       ///< reply data, NUL-terminated
    int writePos = 0;                  ///< next free byte of `data`
    int dataLength = 0;                ///< data characters stored
    std::uint8_t deviceError = 0;      ///< digits after '$', modulo 256; 0 = no error
    std::int8_t state = WaitStart;
    std::uint16_t received = 0;        ///< checksum digits, modulo 65536
    std::uint16_t computed = 0xFFFF;   ///< running CRC over the reply
    bool overflow = false;             ///< the data did not fit: the reply is rejected

    static constexpr std::uint8_t kStart = '!';
    static constexpr std::uint8_t kSeparator = ';';

    /// Clears every field, as a 0xFF does.
    void Reset();
    /// Takes one byte. True when a whole, valid reply has just been taken.
    bool ParseByte(std::uint8_t byte);
};

/// Writes 2 x count upper-case hex digits, then ';' and a NUL, into `dest` (room for
/// 2 x count + 2 bytes). Returns the number of characters written before the NUL.
int HexEncode(char* dest, const std::uint8_t* bytes, int count);
/// Decodes at most `pairs` hex pairs of `hex` into `dest`, stopping at a NUL; returns the bytes
/// written. Upper-case digits as the calibrator sends them ('a'-'f' are accepted too).
int HexDecode(std::uint8_t* dest, const char* hex, int pairs);

/// Parses request frames on the calibrator's side (virtual calibrator, test peers): feed bytes,
/// take complete requests whose checksum is valid. Garbage and broken frames are skipped.
class RequestParser {
public:
    /// Takes one byte. True when a whole valid request is ready in Text().
    bool ParseByte(std::uint8_t byte);
    /// The request text of the last complete frame, e.g. "1;37;400;".
    const std::string& Text() const { return m_text; }
    /// Frames dropped for a bad checksum or shape since creation.
    int Rejected() const { return m_rejected; }

private:
    enum class State { Idle, Colon, Body } m_state = State::Idle;
    std::string m_body;
    std::string m_text;
    int m_rejected = 0;
};

/// Text of an exchange result code: "Ok", "Ошибка открытия порта", ... "undeclared error".
const char* ResultText(int result);
/// Text of a device error code 0..19 (UTF-8), or "undeclared error".
const char* DeviceErrorText(int code);

} // namespace devlink
