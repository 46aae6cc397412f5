// The link: the one object through which every page talks to the calibrator.
//
// It owns the frame layer, runs every operation as one command (so every result other than 0 and
// -4 starts the link-lost callback), converts register values, and keeps the calibrator's serial
// number. Results: the exchange result code (0 ok, -1 port, -2 write, -3 no reply, -4 device
// error), or for the typed operations the codes documented on each.
#pragma once

#include "link/registers.h"
#include "link/uail.h"

#include <QString>
#include <cstdint>

namespace devlink {

/// A text that should have been a number (or a value that is not finite): the operation stopped
/// before anything was sent.
inline constexpr int kConversionError = -20;
/// ReadRegisterToControl without a control.
inline constexpr int kNoControl = -10;

class TInterface {
public:
    /// Initialises the frame layer: no port, 115200 Bd, device address 1, reply time-out 150.
    TInterface();

    /// Opens a port (see TInterface_UAIL::Open). Returns 0 or -1.
    int Open(const QString& port) { return m_uail.Open(port); }
    void Close() { m_uail.Close(); }
    bool IsOpen() const { return m_uail.IsOpen(); }

    /// Identification; on 0 the reply data is the type code ("50").
    int Identify();
    /// Reads a register; on 0 the reply data holds its value as text.
    int ReadRegister(int reg);
    /// Returns -1 when the read fails, -2 when the reply does not start with an integer, else 0.
    int ReadRegisterInt(int reg, int* value);
    /// Returns -1 when the read fails, else 0. An empty reply or "NaN" gives NaN; a reply that
    /// does not convert leaves *value unchanged (result still 0).
    int ReadRegisterReal(int reg, float* value);
    /// Copies the reply (Windows-1251) into `buffer`, at most size - 1 bytes and a NUL. Returns -1
    /// when no buffer is given or the read fails, else 0.
    int ReadRegisterText(int reg, char* buffer, int size);
    /// The same, decoded to Unicode. Returns -1 when the read fails, else 0.
    int ReadRegisterText(int reg, QString* text);
    /// "a;38;reg;value;". Returns the exchange result code.
    int WriteRegisterInt(int reg, int value);
    /// "a;38;reg;%f;" with six decimals and '.'. Returns the exchange result code; kConversionError
    /// without any exchange for NaN or an infinity.
    int WriteRegisterReal(int reg, float value);
    /// Parses `text` as a real ('.' separator) and writes it. kConversionError without any
    /// exchange when it is not a number; else the exchange result code.
    int WriteRegisterFromText(int reg, const QString& text);
    /// Block read; on 0 the decoded bytes (at most `capacity`) and their count.
    int ReadBlock(int object, std::uint8_t* buffer, int capacity, int* count);
    /// Block write. Returns the exchange result code.
    int WriteBlock(int object, const std::uint8_t* bytes, int count);

    /// Reply data of the last exchange (Windows-1251 bytes as received) and decoded.
    const char* ReplyData() const { return m_uail.ReplyData(); }
    QString ReplyText() const;
    int LastResult() const { return m_uail.LastResult(); }
    int DeviceErrorCode() const { return m_uail.DeviceErrorCode(); }

    /// The calibrator's serial number, read at connection (49 characters at most; "-1" when the
    /// read failed).
    const char* DeviceSerialNumber() const { return m_serial; }
    /// Reads SerialNumber into the device serial number; stores "-1" when that fails. Returns the
    /// read's result.
    int ReadDeviceSerialNumber();
    void SetDeviceSerialNumber(const char* text);

    TInterface_UAIL& Frames() { return m_uail; }
    const TInterface_UAIL& Frames() const { return m_uail; }

    /// Converts a reply as an integer ("%d" scan). False when it does not start with one.
    static bool ConvertInt(const char* reply, int* value);
    /// Converts a reply as a real: empty or "NaN" give NaN; false (value unchanged) when it does not
    /// convert.
    static bool ConvertReal(const char* reply, float* value);
    /// What WriteRegisterFromText accepts: the trimmed text converts as a finite real ('.').
    static bool TextToReal(const QString& text, float* value);

private:
    TInterface_UAIL m_uail;
    char m_serial[50] = {};
};

} // namespace devlink
