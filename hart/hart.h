// HART frames to a transmitter on the loop, carried through the calibrator's HART channel
// (block object 45): request frames, response parsing and the decoding of universal commands
// 0 (unique identifier), 1 (primary variable) and 15 (device information).
#pragma once

#include <QString>

#include <cstdint>

namespace hart {

/// The response record, cleared before each parse.
struct ResponseRecord {
    std::uint8_t delimiter = 0;
    std::uint8_t pollingAddress = 0; ///< short frames: low 4 bits of the address byte
    std::uint8_t address[5] = {};    ///< long frames
    std::uint8_t command = 0;
    int dataCount = 0; ///< byte count minus the 2 status bytes
    std::uint8_t responseCode = 0;
    std::uint8_t deviceStatus = 0;
    std::uint8_t data[253] = {};
};

/// What the three responses tell about the device (each decode overwrites only its own fields).
struct DeviceRecord {
    std::uint8_t longAddress[5] = {};
    std::uint16_t expandedType = 0; ///< manufacturer code x 256 + device type
    QString model;                  ///< HART table 0 text of the expanded type
    float pv = 0;
    QString unit; ///< HART table 2 text of the latest unit code
    std::uint8_t unitCode = 0;
    float upperRange = 0, lowerRange = 0;
};

class THart {
public:
    /// The HART tables library, looked up in the program's folder for every text.
    static constexpr const char* kTablesLibrary = "libfieldlink.so";

    /// Preamble count and trailing 0xFF count (the sensor description uses 5 and 3).
    void Configure(int preambles, int trailing);

    /// Short frame: preambles, 0x02, polling address | 0x80, command, count, data, check, trailing.
    /// Returns the length; `capacity` must hold preambles + 5 + count + trailing (else -1).
    int BuildShortFrame(std::uint8_t* buffer, int capacity, int pollingAddress, int command, int count,
                        const std::uint8_t* data) const;
    /// Long frame: preambles, 0x82, the 5 address bytes, command, count, data, check, trailing.
    int BuildLongFrame(std::uint8_t* buffer, int capacity, const std::uint8_t address[5], int command,
                       int count, const std::uint8_t* data) const;

    /// Parses a response (any number of leading 0xFF). 0, or -1 for no data, a frame too short or
    /// running past `count`, or a check byte mismatch.
    static int ParseResponse(const std::uint8_t* bytes, int count, ResponseRecord* record);
    /// Decodes commands 0, 1 and 15 into `device`; returns the response code (non-zero: nothing
    /// decoded), or kTooShort when the response of one of them holds fewer data bytes than it must
    /// (nothing decoded either). Command 0 needs data byte 0 to be 254.
    int DecodeResponse(const ResponseRecord& record, DeviceRecord* device) const;
    /// DecodeResponse: the data of a command 0, 1 or 15 response are too short.
    static constexpr int kTooShort = -1;

    /// The text of `code` in HART table `table` through the tables library (loaded and released for
    /// this lookup); empty when the library or its function is missing.
    QString TableText(int table, int code) const;
    /// Where the tables library is looked for (tests point it elsewhere).
    void SetTablesLibrary(const QString& path) { m_library = path; }

    /// The check byte: XOR of every byte from the delimiter through the last data byte.
    static std::uint8_t CheckByte(const std::uint8_t* bytes, int count);

private:
    int BuildFrame(std::uint8_t* buffer, int capacity, std::uint8_t delimiter, const std::uint8_t* address,
                   int addressLength, int command, int count, const std::uint8_t* data) const;

    int m_preambles = 5;
    int m_trailing = 3;
    QString m_library = QString::fromLatin1(kTablesLibrary);
};

/// A big-endian IEEE 754 single from 4 bytes.
float BigEndianFloat(const std::uint8_t* b);

} // namespace hart
