// The frame layer: carries request/reply exchanges with the calibrator over the serial port.
//
// One instance exists, owned by the link facade (TInterface). It opens the remembered port on
// demand, sends framed requests, polls the port for the reply within a budget of polls, and
// reports every exchange as an exchange result code:
//    0 ok, -1 port not opened, -2 request not written, -3 no valid reply, -4 device error
// (with -4 the device error code of the reply is available). Command() starts the link-lost
// callback for every result other than 0 and -4.
#pragma once

#include "link/frame.h"
#include "platform/serialport.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace devlink {

class TInterface_UAIL {
public:
    TInterface_UAIL();
    ~TInterface_UAIL();
    TInterface_UAIL(const TInterface_UAIL&) = delete;
    TInterface_UAIL& operator=(const TInterface_UAIL&) = delete;

    /// Sets port, baud rate, device address and reply time-out (ms: the read time-out of the port and
    /// the bound of the wait for a reply); resets the reply parser. Returns 0.
    int Initialise(const QString& port, int baud, int address, int replyTimeout);

    /// Opens `port` unless a port is open already (whatever its name). Returns 0 when a port is
    /// open afterwards, -1 when it could not be opened or opening is not allowed.
    int Open(const QString& port);
    /// Whether Open (and so an exchange, which opens on demand) may open the port at all; the
    /// program turns it off when it releases the calibrator at close.
    void SetOpenAllowed(bool on) { m_openAllowed = on; }
    /// Closes the port if open.
    void Close();
    bool IsOpen() const { return m_handle != -1; }
    const QString& PortName() const { return m_port; }

    /// Frames `text` and writes it. Returns 0, or -1.
    int SendFrame(const char* text);
    /// Reads the port until a valid reply is parsed or `timeoutMs` have passed since the call: the
    /// waits in between end as soon as bytes arrive, so a reply in many small pieces is taken
    /// whole. Returns 0 when a valid reply was parsed, 1 otherwise.
    int ReceiveReply(int timeoutMs);
    /// Opens the port on demand and sends the request. Returns 0, -1 or -2.
    int BeginExchange(const char* text);
    /// Waits for the reply. Returns 0, -3 or -4; calls the exchange-done notification.
    int EndExchange();
    /// BeginExchange then EndExchange. Returns the exchange result code.
    int Exchange(const char* text);
    /// Runs the exchange `repeat` + 1 times and keeps the last result; a result other than 0 and
    /// -4 starts the link-lost callback. Returns the exchange result code.
    int Command(const char* text, int repeat);

    // Request builders: each formats the request text and runs Command with the repeat count.
    int CommandOnly(int command);                               ///< "%d;%d;"
    int CommandRegister(int command, int reg);                  ///< "%d;%d;%d;"
    int CommandRegisterInt(int command, int reg, int value);    ///< "%d;%d;%d;%d;"
    int CommandRegisterReal(int command, int reg, float value); ///< "%d;%d;%d;%f;"
    /// Block read "%d;42;%d;100;": on success decodes up to `capacity` bytes into `dest` and
    /// stores their count in `*count` (0 on failure). Returns the exchange result code.
    int BlockRead(int object, std::uint8_t* dest, int capacity, int* count);
    /// Block write "%d;43;%d;%d;" + hex bytes. Returns the exchange result code; -2 without any
    /// exchange when the bytes do not fit into one request.
    int BlockWrite(int object, const std::uint8_t* bytes, int count);

    /// The reply data of the last valid reply (NUL-terminated text, Windows-1251 as received).
    const char* ReplyData() const { return m_parser.data; }
    int ReplyLength() const { return m_parser.dataLength; }
    int LastResult() const { return m_lastResult; }
    int DeviceErrorCode() const { return m_parser.deviceError; }
    const char* RequestText() const { return m_request; }

    int Address() const { return m_address; }
    void SetAddress(int address) { m_address = address; }
    int ReplyTimeout() const { return m_replyTimeout; }
    void SetReplyTimeout(int ms) { m_replyTimeout = ms; }
    int RepeatCount() const { return m_repeat; }
    void SetCloseAfterExchange(bool on) { m_closeAfter = on; }

    void SetExchangeDone(std::function<void(int)> f) { m_exchangeDone = std::move(f); }
    void SetLinkLost(std::function<void(int)> f) { m_linkLost = std::move(f); }

    /// Timings of the last exchange in ms: open, send, receive, close, total.
    struct Timings {
        int open = 0, send = 0, receive = 0, close = 0, total = 0;
    };
    void SetTimingEnabled(bool on) { m_timing = on; }
    const Timings& LastTimings() const { return m_timings; }

    /// The serial port object (for the port listing).
    platform::TInterface_RS232& Port() { return m_port232; }

    /// Trace of every frame into the log category lorik.frames (debug level), on demand.
    void SetTrace(bool on) { m_trace = on; }

private:
    int RunFormatted(int repeat);

    platform::TInterface_RS232 m_port232;
    int m_lastResult = 0;
    QString m_port;
    int m_baud = 115200;
    int m_replyTimeout = 150;
    int m_repeat = 0;
    int m_address = 1;
    bool m_closeAfter = false;
    bool m_openAllowed = true;
    ReplyParser m_parser;
    std::function<void(int)> m_exchangeDone;
    std::function<void(int)> m_linkLost;
    bool m_timing = true;
    Timings m_timings;
    int m_handle = -1;
    std::uint8_t m_transmit[kBufferSize] = {};
    std::uint8_t m_receive[kBufferSize] = {};
    char m_request[kBufferSize] = {};
    long long m_tickNow = 0, m_tickPrev = 0, m_tickStart = 0;
    bool m_trace = false;
};

} // namespace devlink
