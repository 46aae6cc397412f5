// lorikctl: a command-line client of the calibrator, over the same link classes as the program.
#include "device/archivemodel.h"
#include "device/clock.h"
#include "device/configuration.h"
#include "hart/search.h"
#include "link/interface.h"
#include "link/registers.h"
#include "platform/cp1251.h"
#include "platform/messages.h"
#include "platform/serialport.h"
#include "sensors/numbers.h"
#include "sensors/polynoms.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kUsage = 64;
constexpr int kCorruptArchive = 65;
constexpr int kUnreadableArchive = 66;

const char* kUsageText =
    "usage: lorikctl [--port PORT] [--address N] [--trace] COMMAND\n"
    "       lorikctl --help\n"
    "  list-ports              one line per port, e.g. \"ttyUSB0\" or \"ttyUSB1 (занят)\"\n"
    "  identify                the type code the calibrator answers\n"
    "  read REG                the reply text as it comes\n"
    "  read-int REG            the integer\n"
    "  read-real REG           the value as the program shows numbers (\"<<<.<<<\" for NaN)\n"
    "  write-int REG VALUE     request \"a;38;REG;VALUE;\"\n"
    "  write-real REG VALUE    request \"a;38;REG;%f;\" (six decimals)\n"
    "  read-block OBJ          the returned bytes as upper-case hex\n"
    "  write-block OBJ HEX     sends the bytes given as hex\n"
    "  hart find [--interval MS]      search polling addresses 0-15 for a HART transmitter\n"
    "  hart pv ADDRESS [--interval MS] primary variable of the transmitter at a polling address\n"
    "  convert --type CODE --temp T   electrical value of sensor type CODE (0-14) at T °C\n"
    "  convert --type CODE --el E     temperature for the electrical value E (Ohm or mV)\n"
    "  archive FILE            the records of an archive file: the 16 captions, then one\n"
    "                          tab-separated line per record (UTF-8)\n"
    "  config                  the configuration, one \"Name value\" line per register, in read order\n"
    "  config set NAME=VALUE...  writes the given registers (AveragingCount, DecimalPlaces,\n"
    "                          CursorShown, BuzzerOn, BacklightOffTime, Brightness, AutoOffTime) in\n"
    "                          write order, then SaveConfig := 111 when all succeeded\n"
    "  clock                   the calibrator's clock, the PC's with its zone, and the difference\n"
    "  clock sync              sets the calibrator's clock to the PC's local time (TZ, else the\n"
    "                          system zone; a lab on UTC runs it with TZ=UTC), then shows it\n"
    "PORT is a name from list-ports or a device path; without --port the first free listed port.\n"
    "Exit status: 0 done; 1, 2, 3, 4 for the exchange results -1, -2, -3, -4; 64 usage error;\n"
    "65 archive file damaged; 66 archive file unreadable.\n";

int Usage(const char* why = nullptr)
{
    if (why) std::fprintf(stderr, "lorikctl: %s\n", why);
    std::fputs(kUsageText, stderr);
    return kUsage;
}

void Print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
}

// Exit status for an exchange result; with a device error, its code and text on stderr.
int Exit(devlink::TInterface& link, int result)
{
    if (result == 0) return 0;
    if (result == -4) {
        const int code = link.DeviceErrorCode();
        std::fprintf(stderr, "device error %d: %s\n", code, devlink::DeviceErrorText(code));
        return 4;
    }
    std::fprintf(stderr, "%s\n", devlink::ResultText(result));
    if (result >= -4 && result <= -1) return -result;
    return 3;
}

bool ParseInt(const QString& text, int* value)
{
    bool ok = false;
    *value = text.toInt(&ok, 10);
    return ok;
}

QStringList ListPorts(platform::TInterface_RS232& port)
{
    QStringList list;
    port.ListPorts(QStringLiteral("tty"), QString::fromLatin1(platform::TInterface_RS232::kUsbSerialFilter),
                   &list);
    return list;
}

// convert --type CODE (--temp T | --el E): through the characteristic library the program loads.
int Convert(const QStringList& args)
{
    int code = -1;
    QString mode, value;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--type")) {
            if (!ParseInt(args[i + 1], &code)) return Usage("CODE must be an integer");
        } else if (args[i] == QStringLiteral("--temp") || args[i] == QStringLiteral("--el")) {
            mode = args[i];
            value = args[i + 1];
        } else {
            return Usage("convert takes --type CODE and --temp T or --el E");
        }
    }
    if (args.size() != 4 || code < 0 || mode.isEmpty())
        return Usage("convert takes --type CODE and --temp T or --el E");
    float x = 0;
    if (sensors::ReadNumber(value, &x) != 0) return Usage("the value must be a number");
    sensors::TPolynoms lib;
    if (!lib.Usable()) {
        std::fprintf(stderr, "cannot use %s\n", sensors::TPolynoms::kFileName);
        return 1;
    }
    const float y = mode == QStringLiteral("--temp") ? lib.GradToEl(code, x) : lib.ElToGrad(code, x);
    if (!sensors::IsFinite(y)) {
        std::fprintf(stderr, "no value: type %d does not cover %s\n", code, value.toUtf8().constData());
        return 3;
    }
    Print(sensors::FixedText(y, 6));
    return 0;
}

// archive FILE: the records as the archive page shows them.
int Archive(const QStringList& args)
{
    if (args.size() != 1) return Usage("archive takes one FILE");
    const device::ArchiveLoad load = device::ReadArchiveFile(args[0]);
    if (load.error == device::ArchiveError::Unreadable) {
        std::fprintf(stderr, "cannot read %s: %s\n", args[0].toUtf8().constData(),
                     load.reason.toUtf8().constData());
        return kUnreadableArchive;
    }
    if (!load.Ok()) {
        std::fprintf(stderr, "%s (%s)\n", platform::MessageText(9).toUtf8().constData(),
                     load.reason.toUtf8().constData());
        return kCorruptArchive;
    }
    std::vector<const device::ArchiveRecord*> rows;
    for (const device::ArchiveRecord& r : load.records)
        rows.push_back(&r);
    std::fputs(device::ArchiveTable(rows, QLatin1Char('\t')).toUtf8().constData(), stdout);
    return 0;
}

// The arguments of config: none, or "set" and NAME=VALUE pairs, put into write order (index into
// kConfigWriteOrder, value). Returns 0 or the usage status.
int ConfigArguments(const QStringList& args, std::vector<std::pair<int, int>>* values)
{
    values->clear();
    if (args.isEmpty()) return 0;
    if (args[0] != QStringLiteral("set") || args.size() < 2)
        return Usage("config | config set NAME=VALUE...");
    for (int i = 1; i < args.size(); ++i) {
        const qsizetype eq = args[i].indexOf(QLatin1Char('='));
        const QByteArray name = args[i].left(eq).toLatin1();
        const device::ConfigRegister* c = eq > 0 ? device::WritableConfigRegister(name.constData()) : nullptr;
        int v = 0;
        if (!c) return Usage("config set takes NAME=VALUE with a NAME of the configuration");
        if (!ParseInt(args[i].mid(eq + 1), &v)) return Usage("config set: VALUE must be an integer");
        values->emplace_back(int(c - device::kConfigWriteOrder), v);
    }
    std::stable_sort(values->begin(), values->end(), [](auto a, auto b) { return a.first < b.first; });
    return 0;
}

// config | config set NAME=VALUE...: the configuration page's registers, in its orders.
int Config(devlink::TInterface& link, const QStringList& args)
{
    std::vector<std::pair<int, int>> values;
    if (const int u = ConfigArguments(args, &values); u != 0) return u;
    if (args.isEmpty()) {
        for (const device::ConfigRegister& c : device::kConfigReadOrder) {
            const int r = link.ReadRegister(c.reg);
            if (r != 0) return Exit(link, r);
            Print(QString::fromLatin1(c.name) + QLatin1Char(' ') + link.ReplyText());
        }
        return 0;
    }
    for (const auto& [index, v] : values) {
        const int r = link.WriteRegisterInt(device::kConfigWriteOrder[index].reg, v);
        if (r != 0) return Exit(link, r);
    }
    return Exit(link, link.WriteRegisterInt(devlink::SaveConfig, devlink::kSaveConfigKey));
}

// clock | clock sync: the calibrator's clock against the PC's local wall time.
int Clock(devlink::TInterface& link, const QStringList& args)
{
    const bool sync = args.size() == 1 && args[0] == QStringLiteral("sync");
    if (!args.isEmpty() && !sync) return Usage("clock | clock sync");
    if (sync) {
        const int r = device::WriteClock(link, device::SyncFields(device::SystemPcTime().clock));
        if (r != 0) return Exit(link, r);
    }
    device::DeviceClock c;
    const int r = device::ReadClock(link, &c);
    if (r == -2) {
        std::fprintf(stderr, "not an integer: %s\n", platform::Cp1251ToUtf8(link.ReplyData()).c_str());
        return 3;
    }
    if (r != 0) return Exit(link, link.LastResult());
    const device::PcTime pc = device::SystemPcTime();
    const auto d = device::ClockDifference(c, pc.clock);
    Print(
        QStringLiteral("calibrator ") + device::RawClockText(c) +
        (d ? QLatin1Char(' ') + device::DifferenceText(*d) : QStringLiteral(" (not a valid date and time)")));
    Print(QStringLiteral("pc         ") + device::RawClockText(pc.clock) + QLatin1Char(' ') +
          device::ZoneText(pc));
    return 0;
}

// The first free listed port when none was given.
QString PickPort(devlink::TInterface& link, const QString& given)
{
    if (!given.isEmpty()) return given;
    for (const QString& p : ListPorts(link.Frames().Port()))
        if (!p.endsWith(QString::fromUtf16(platform::kBusySuffix))) return p;
    return {};
}

// hart find | hart pv ADDRESS: the technician's quick check of a loop.
int Hart(devlink::TInterface& link, QString port, int address, QStringList args)
{
    int interval = 500;
    for (int i = 0; i + 1 < args.size(); ++i)
        if (args[i] == QStringLiteral("--interval")) {
            if (!ParseInt(args[i + 1], &interval) || interval < 0) return Usage("MS must be an integer");
            args.remove(i, 2);
            break;
        }
    if (args.isEmpty()) return Usage("hart find | hart pv ADDRESS");
    const QString sub = args.takeFirst();
    port = PickPort(link, port);
    if (port.isEmpty()) {
        std::fprintf(stderr, "no free port found\n");
        return 1;
    }
    link.Frames().Initialise(port, 115200, address, 150);
    hart::THart h;
    h.Configure(5, 3);
    hart::DeviceRecord device;
    hart::ManualTimer timer;
    if (sub == QStringLiteral("find") && args.isEmpty()) {
        hart::HartSearch search(link, h, device, timer);
        bool found = false, range = false;
        search.onFound = [&](bool ok) {
            found = true;
            range = ok;
        };
        search.onName = [&](const QString&) { found = true; };
        if (search.Start() != 0) return Exit(link, link.LastResult());
        while (search.Active()) {
            QThread::msleep(unsigned(interval));
            search.Tick();
        }
        if (!found) {
            std::fprintf(stderr, "no HART device found at polling addresses 0-15\n");
            return 3;
        }
        Print(QStringLiteral("address %1").arg(search.Address()));
        Print(QStringLiteral("model %1").arg(device.model));
        Print(QStringLiteral("manufacturer %1").arg(h.TableText(1, device.expandedType)));
        if (range)
            Print(QStringLiteral("range %1 ... %2 %3")
                      .arg(sensors::CompactText(device.lowerRange), sensors::CompactText(device.upperRange),
                           device.unit));
        return 0;
    }
    int poll = 0;
    if (sub == QStringLiteral("pv") && args.size() == 1 && ParseInt(args[0], &poll) && poll >= 0 &&
        poll <= 15) {
        // identify the device at that address for its long address, then one PV cycle; the
        // modem goes back off whatever the outcome
        if (link.WriteRegisterInt(devlink::HartModem, 1) != 0) return Exit(link, link.LastResult());
        struct ModemOff {
            devlink::TInterface& link;
            ~ModemOff() { link.WriteRegisterInt(devlink::HartModem, 0); }
        } modemOff{link};
        std::uint8_t frame[64], bytes[devlink::kBlockReadSize];
        int n = h.BuildShortFrame(frame, sizeof frame, poll, 0, 0, nullptr), got = 0;
        if (link.WriteBlock(devlink::HartChannel, frame, n) != 0) return Exit(link, link.LastResult());
        QThread::msleep(unsigned(interval));
        hart::ResponseRecord r;
        if (link.ReadBlock(devlink::HartChannel, bytes, sizeof bytes, &got) != 0 ||
            hart::THart::ParseResponse(bytes, got, &r) != 0 || h.DecodeResponse(r, &device) != 0 ||
            r.command != 0) {
            std::fprintf(stderr, "no HART device answers at polling address %d\n", poll);
            return 3;
        }
        hart::HartPvReader reader(link, h, device, timer);
        reader.Start();
        reader.Tick();
        QThread::msleep(unsigned(interval));
        reader.Tick();
        const float pv = reader.Pv();
        reader.Stop();
        if (!sensors::IsFinite(pv)) {
            std::fprintf(stderr, "no primary variable read\n");
            return 3;
        }
        Print(sensors::CompactText(pv) + QLatin1Char(' ') + device.unit);
        return 0;
    }
    return Usage("hart find | hart pv ADDRESS");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString port;
    int address = 1;
    bool trace = false;
    while (!args.isEmpty() && args.first().startsWith(QStringLiteral("--"))) {
        const QString opt = args.takeFirst();
        if (opt == QStringLiteral("--port") && !args.isEmpty()) {
            port = args.takeFirst();
        } else if (opt == QStringLiteral("--address") && !args.isEmpty()) {
            if (!ParseInt(args.takeFirst(), &address) || address < 0 || address > 255)
                return Usage("bad address");
        } else if (opt == QStringLiteral("--trace")) {
            trace = true;
        } else if (opt == QStringLiteral("--help")) {
            std::fputs(kUsageText, stdout);
            return 0;
        } else {
            return Usage("unknown option");
        }
    }
    if (args.isEmpty()) return Usage("no command");
    const QString cmd = args.takeFirst();

    if (cmd == QStringLiteral("convert")) return Convert(args);
    if (cmd == QStringLiteral("archive")) return Archive(args);

    devlink::TInterface link;
    if (cmd == QStringLiteral("list-ports")) {
        if (!args.isEmpty()) return Usage("list-ports takes no arguments");
        for (const QString& p : ListPorts(link.Frames().Port()))
            Print(p);
        return 0;
    }

    struct Shape {
        const char* name;
        int args;
    };
    if (cmd == QStringLiteral("hart")) return Hart(link, port, address, args);
    const bool service = cmd == QStringLiteral("config") || cmd == QStringLiteral("clock");
    if (cmd == QStringLiteral("config")) {
        std::vector<std::pair<int, int>> values;
        if (const int u = ConfigArguments(args, &values); u != 0) return u;
    }
    if (cmd == QStringLiteral("clock") &&
        !(args.isEmpty() || (args.size() == 1 && args[0] == QStringLiteral("sync"))))
        return Usage("clock | clock sync");

    static constexpr Shape kCommands[] = {{"identify", 0},   {"read", 1},       {"read-int", 1},
                                          {"read-real", 1},  {"write-int", 2},  {"write-real", 2},
                                          {"read-block", 1}, {"write-block", 2}};
    const Shape* shape = nullptr;
    for (const Shape& s : kCommands)
        if (cmd == QLatin1String(s.name)) shape = &s;
    if (!shape && !service) return Usage("unknown command");
    if (shape && args.size() != shape->args) return Usage("wrong number of arguments");
    int a0 = 0;
    if (shape && shape->args >= 1 && !ParseInt(args[0], &a0)) return Usage("REG/OBJ must be an integer");

    port = PickPort(link, port);
    {
        if (port.isEmpty()) {
            std::fprintf(stderr, "no free port found\n");
            return 1;
        }
    }
    link.Frames().Initialise(port, 115200, address, 150);
    if (trace) {
        link.Frames().SetExchangeDone([&link](int r) {
            std::fprintf(stderr, "> %s\n< %s (%d)\n", link.Frames().RequestText(),
                         platform::Cp1251ToUtf8(link.ReplyData()).c_str(), r);
        });
    }

    if (cmd == QStringLiteral("config")) return Config(link, args);
    if (cmd == QStringLiteral("clock")) return Clock(link, args);
    if (cmd == QStringLiteral("identify")) {
        const int r = link.Identify();
        if (r == 0) Print(link.ReplyText());
        return Exit(link, r);
    }
    if (cmd == QStringLiteral("read")) {
        const int r = link.ReadRegister(a0);
        if (r == 0) Print(link.ReplyText());
        return Exit(link, r);
    }
    if (cmd == QStringLiteral("read-int")) {
        int v = 0;
        const int r = link.ReadRegisterInt(a0, &v);
        if (r == 0) {
            std::printf("%d\n", v);
            return 0;
        }
        if (r == -2) {
            std::fprintf(stderr, "not an integer: %s\n", platform::Cp1251ToUtf8(link.ReplyData()).c_str());
            return 3;
        }
        return Exit(link, link.LastResult());
    }
    if (cmd == QStringLiteral("read-real")) {
        float v = sensors::MissingValue();
        const int r = link.ReadRegisterReal(a0, &v);
        if (r == 0) Print(sensors::CompactText(v));
        return r == 0 ? 0 : Exit(link, link.LastResult());
    }
    if (cmd == QStringLiteral("write-int")) {
        int v = 0;
        if (!ParseInt(args[1], &v)) return Usage("VALUE must be an integer");
        return Exit(link, link.WriteRegisterInt(a0, v));
    }
    if (cmd == QStringLiteral("write-real")) {
        const int r = link.WriteRegisterFromText(a0, args[1]);
        if (r == devlink::kConversionError) return Usage("VALUE must be a number");
        return Exit(link, r);
    }
    if (cmd == QStringLiteral("read-block")) {
        std::uint8_t bytes[devlink::kBlockReadSize];
        int n = 0;
        const int r = link.ReadBlock(a0, bytes, int(sizeof bytes), &n);
        if (r == 0) {
            for (int i = 0; i < n; ++i)
                std::printf("%02X", bytes[i]);
            std::printf("\n");
        }
        return Exit(link, r);
    }
    // write-block
    const QString& hexText = args[1];
    if (hexText.size() % 2 != 0 || hexText.isEmpty())
        return Usage("HEX must be an even number of hex digits");
    for (QChar c : hexText)
        if (!std::isxdigit(static_cast<unsigned char>(c.toLatin1())) || c.unicode() > 0x7F)
            return Usage("HEX must be hex digits");
    const QByteArray bytes = QByteArray::fromHex(hexText.toLatin1());
    return Exit(link, link.WriteBlock(a0, reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      int(bytes.size())));
}
