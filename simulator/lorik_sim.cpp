// lorik-sim: the virtual calibrator as a process.
#include "platform/serialport.h"
#include "platform/signals.h"
#include "simulator/archive.h"
#include "simulator/virtualcalibrator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace {

const char* kHelp =
    "usage: lorik-sim [--dir DIR] [--name NAME] [--scenario FILE|NAME] [--state FILE] [--seed N]\n"
    "                 [--wire-timing] [--trace]\n"
    "       lorik-sim --write-archive FILE [--records N] [--encoding UTF-8|windows-1251|UTF-16]\n"
    "       lorik-sim --help | -h\n"
    "Serves a virtual ЛОРИК calibrator on a pseudo-terminal announced as DIR/NAME\n"
    "(default $LORIK_SIM_DIR or $XDG_RUNTIME_DIR/lorik-sim, name ttyLORIK0) and prints that path\n"
    "first. Bundled scenarios: bench, pressure, loop, hart, calibration. Stops on SIGINT/SIGTERM or\n"
    "'quit'. --write-archive writes the calibrator's archive file (default 20 records, UTF-8) and ends.\n"
    "\n"
    "Commands on standard input:\n"
    "  set process-temp C | process-pressure KPA | ambient C | reference-type N | reference-unit N\n"
    "      | relay1 X | relay2 X | noise REL | hart-delay MS | source-mv X (-ma, -ohm, -v)\n"
    "      | input-error-pct P | input-offset X (the device under test on the input)\n"
    "      | meas-CH-gain G | meas-CH-offset X (CH mv, ma, ohm, v, cj)\n"
    "      | emul-CH-gain G | emul-CH-offset X (CH mv, ma, ohm, v, uso)\n"
    "  set-register REG TEXT      reads of REG answer TEXT until REG is written; clear-register REG\n"
    "  clock YYYY-MM-DD HH:MM:SS  sets the calibrator's clock fields (no check, no zone)\n"
    "  fault no-reply N | wrong-checksum N | garbage N | split N   (the next N replies; -1 every reply)\n"
    "  fault delay MS | fault device-error REG CODE (CODE 0 removes) | fault clear\n"
    "  fault device-error-once REG CODE | fault no-reply-once REG   (the next access of REG only)\n"
    "  wire-timing on|off | unplug | plug | status | quit\n";

std::mutex g_out;

void Say(const std::string& line)
{
    std::lock_guard lock(g_out);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void Command(sim::VirtualCalibrator& vc, const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb.empty()) return;
    if (verb == "quit") {
        platform::RequestTermination();
        return;
    }
    if (verb == "set") {
        std::string name;
        double v;
        if (in >> name >> v && vc.Model().Set(name, v))
            Say("ok");
        else
            Say("error: set NAME VALUE (see --help)");
        return;
    }
    if (verb == "set-register" || verb == "clear-register") {
        int reg = 0;
        if (!(in >> reg)) return Say("error: " + verb + " REG" + (verb == "set-register" ? " TEXT" : ""));
        if (verb == "clear-register") {
            vc.Model().ClearRaw(reg);
            return Say("ok");
        }
        std::string text;
        std::getline(in >> std::ws, text);
        vc.Model().SetRaw(reg, text);
        return Say("ok");
    }
    if (verb == "clock") {
        sim::ClockFields c;
        char d1 = 0, d2 = 0, c1 = 0, c2 = 0;
        if (!(in >> c.year >> d1 >> c.month >> d2 >> c.day >> c.hour >> c1 >> c.minute >> c2 >> c.second) ||
            d1 != '-' || d2 != '-' || c1 != ':' || c2 != ':')
            return Say("error: clock YYYY-MM-DD HH:MM:SS");
        vc.Model().SetClock(c);
        return Say("ok");
    }
    if (verb == "fault") {
        std::string kind;
        in >> kind;
        sim::Faults f = vc.Transport().GetFaults();
        int n = 0;
        if (kind == "clear") {
            const bool wire = f.wireTiming;
            f = sim::Faults();
            f.wireTiming = wire;
            vc.Model().ClearDeviceErrors();
        } else if (kind == "no-reply-once") {
            int reg = 0;
            if (!(in >> reg)) return Say("error: fault no-reply-once REG");
            vc.Model().InjectSilentOnce(reg);
        } else if (kind == "device-error") {
            int reg = 0, code = 0;
            if (!(in >> reg >> code)) return Say("error: fault device-error REG CODE");
            vc.Model().InjectDeviceError(reg, code);
        } else if (kind == "device-error-once") {
            int reg = 0, code = 0;
            if (!(in >> reg >> code)) return Say("error: fault device-error-once REG CODE");
            vc.Model().InjectDeviceErrorOnce(reg, code);
        } else if (!(in >> n)) {
            return Say("error: fault KIND N");
        } else if (kind == "no-reply")
            f.noReply = n;
        else if (kind == "wrong-checksum")
            f.wrongChecksum = n;
        else if (kind == "garbage")
            f.garbage = n;
        else if (kind == "split")
            f.split = n;
        else if (kind == "delay")
            f.delayMs = n;
        else
            return Say("error: unknown fault " + kind);
        vc.SetFaults(f);
        return Say("ok");
    }
    if (verb == "wire-timing") {
        std::string on;
        in >> on;
        sim::Faults f = vc.Transport().GetFaults();
        f.wireTiming = on == "on";
        vc.SetFaults(f);
        return Say("ok");
    }
    if (verb == "unplug") {
        vc.Unplug();
        return Say("unplugged");
    }
    if (verb == "plug") {
        return Say(vc.Plug() == 0 ? "plugged " + vc.PortPath().toStdString()
                                  : "error: cannot create a pseudo-terminal");
    }
    if (verb == "status") {
        const auto s = vc.Model().State();
        std::ostringstream o;
        o << "remote=" << s.remoteMode << " meas-mode=" << s.measMode << " emul-kind=" << s.emulKind
          << " emul-value=" << s.emulValue << " process-temp=" << vc.Model().ProcessTemp()
          << " ambient=" << vc.Model().Ambient() << " serial=" << s.serialNumber
          << " requests=" << vc.Transport().RequestCount() << " output=" << vc.Model().TrueOutput();
        const sim::ClockFields c = vc.Model().Clock();
        char clock[64];
        std::snprintf(clock, sizeof clock, " clock=%04d-%02d-%02dT%02d:%02d:%02d", c.year, c.month, c.day,
                      c.hour, c.minute, c.second);
        o << clock;
        return Say(o.str());
    }
    Say("error: unknown command (see --help)");
}

} // namespace

int main(int argc, char** argv)
{
    platform::BlockTerminationSignals();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString dir = platform::SimulatorDir(), name = QStringLiteral("ttyLORIK0"), scenario, state;
    QString archive, encoding = QStringLiteral("UTF-8");
    int records = 20;
    long long seed = -1;
    bool wire = false, trace = false;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        auto value = [&](QString* out) {
            if (args.isEmpty()) return false;
            *out = args.takeFirst();
            return true;
        };
        QString v;
        if (a == QStringLiteral("--dir") && value(&dir)) continue;
        if (a == QStringLiteral("--name") && value(&name)) continue;
        if (a == QStringLiteral("--scenario") && value(&scenario)) continue;
        if (a == QStringLiteral("--state") && value(&state)) continue;
        if (a == QStringLiteral("--seed") && value(&v)) {
            bool ok = false;
            seed = v.toLongLong(&ok);
            if (ok) continue;
        }
        if (a == QStringLiteral("--write-archive") && value(&archive)) continue;
        if (a == QStringLiteral("--encoding") && value(&encoding)) continue;
        if (a == QStringLiteral("--records") && value(&v)) {
            bool ok = false;
            records = v.toInt(&ok);
            if (ok && records >= 0 && records <= 1000000) continue;
        }
        if (a == QStringLiteral("--wire-timing")) {
            wire = true;
            continue;
        }
        if (a == QStringLiteral("--trace")) {
            trace = true;
            continue;
        }
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        std::fprintf(stderr, "lorik-sim: bad argument: %s\n%s", a.toUtf8().constData(), kHelp);
        return 64;
    }
    if (!archive.isEmpty()) {
        QString error;
        if (!sim::WriteArchive(archive, records, encoding, &error)) {
            std::fprintf(stderr, "lorik-sim: %s\n", error.toUtf8().constData());
            return 2;
        }
        Say(archive.toStdString());
        return 0;
    }
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) {
        std::fprintf(stderr, "lorik-sim: --name must be a plain file name\n");
        return 64;
    }

    sim::World world;
    if (!scenario.isEmpty()) {
        QString error;
        if (!sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(scenario), &world, &error)) {
            std::fprintf(stderr, "lorik-sim: %s\n", error.toUtf8().constData());
            return 2;
        }
    }
    if (seed >= 0) world.seed = std::uint32_t(seed);

    sim::VirtualCalibrator vc(world, state);
    sim::Faults f;
    f.wireTiming = wire;
    vc.SetFaults(f);
    if (trace)
        vc.Transport().SetTrace([](const std::string& req, const std::string& rep) {
            Say("> " + req);
            Say("< " + rep);
        });
    // The default folder is made private (and refused when somebody else's); a folder given with
    // --dir is the caller's choice.
    const bool made =
        dir == platform::SimulatorDir() ? !platform::EnsureSimulatorDir().isEmpty() : QDir().mkpath(dir);
    if (!made) {
        std::fprintf(stderr, "lorik-sim: cannot create or trust %s\n", dir.toUtf8().constData());
        return 2;
    }
    const QString link = QDir(dir).absoluteFilePath(name);
    if (vc.Start(link) != 0) {
        std::fprintf(stderr, "lorik-sim: cannot serve a pseudo-terminal at %s\n", link.toUtf8().constData());
        return 2;
    }
    Say(link.toStdString());

    std::thread([&vc] {
        std::string line;
        while (std::getline(std::cin, line))
            Command(vc, line);
    }).detach();

    platform::WaitForTerminationSignal();
    vc.Stop();
    return 0;
}
