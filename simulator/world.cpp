#include "simulator/world.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace sim {
namespace {

bool Number(QSettings& s, const char* key, double* out, QString* error)
{
    const QString k = QString::fromLatin1(key);
    if (!s.contains(k)) return true;
    const QString text = s.value(k).toString().trimmed();
    bool ok = false;
    double v = text.compare(QStringLiteral("nan"), Qt::CaseInsensitive) == 0 ? NAN : text.toDouble(&ok);
    if (text.compare(QStringLiteral("nan"), Qt::CaseInsensitive) == 0) ok = true;
    if (!ok && text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)) v = double(text.mid(2).toUInt(&ok, 16));
    if (!ok) {
        *error = QStringLiteral("%1: not a number: %2").arg(k, text);
        return false;
    }
    *out = v;
    return true;
}

bool Drifting(QSettings& s, const char* prefix, Drift* d, QString* error)
{
    const QByteArray p(prefix);
    double perMin = d->ratePerS * 60;
    const bool ok = Number(s, p.constData(), &d->base, error) &&
                    Number(s, QByteArray(p + "_drift").constData(), &d->amplitude, error) &&
                    Number(s, QByteArray(p + "_period").constData(), &d->periodS, error) &&
                    Number(s, QByteArray(p + "_rate").constData(), &perMin, error);
    d->ratePerS = perMin / 60;
    return ok;
}

Quantity QuantityOf(const QString& text) { return text == QStringLiteral("temperature") || text == QStringLiteral("temp") ? Quantity::Temperature : Quantity::Pressure; }

} // namespace

bool LoadScenario(const QString& path, World* w, QString* error)
{
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("scenario file not found: ") + path;
        return false;
    }
    QSettings s(path, QSettings::IniFormat);
    if (s.status() != QSettings::NoError) {
        *error = QStringLiteral("cannot read scenario file: ") + path;
        return false;
    }
    double v;
    s.beginGroup(QStringLiteral("world"));
    v = w->seed;
    if (!Number(s, "seed", &v, error)) return false;
    w->seed = std::uint32_t(v);
    if (!Drifting(s, "ambient", &w->ambient, error) || !Drifting(s, "process_temp", &w->processTemp, error) ||
        !Drifting(s, "process_pressure", &w->processPressure, error) || !Number(s, "noise", &w->noise, error) ||
        !Number(s, "reference_noise", &w->referenceNoise, error))
        return false;
    s.endGroup();

    s.beginGroup(QStringLiteral("input"));
    const QString kind = s.value(QStringLiteral("kind"), QStringLiteral("none")).toString();
    if (kind == QStringLiteral("rtd")) w->input = Input::Rtd;
    else if (kind == QStringLiteral("thermocouple")) w->input = Input::Thermocouple;
    else if (kind == QStringLiteral("signal")) w->input = Input::Signal;
    else if (kind == QStringLiteral("loop")) w->input = Input::Loop;
    else if (kind == QStringLiteral("source"))
        w->input = Input::Source;
    else if (kind == QStringLiteral("none")) w->input = Input::None;
    else {
        *error = QStringLiteral("input/kind: unknown: ") + kind;
        return false;
    }
    v = w->code;
    if (!Number(s, "code", &v, error)) return false;
    w->code = int(v);
    const QStringList units = {QStringLiteral("mV"), QStringLiteral("mA"), QStringLiteral("Ohm"), QStringLiteral("V")};
    if (s.contains(QStringLiteral("unit"))) {
        w->signalUnit = int(units.indexOf(s.value(QStringLiteral("unit")).toString()));
        if (w->signalUnit < 0) {
            *error = QStringLiteral("input/unit: one of mV, mA, Ohm, V");
            return false;
        }
    }
    w->signalQuantity = QuantityOf(s.value(QStringLiteral("quantity"), QStringLiteral("pressure")).toString());
    if (!Number(s, "phys_min", &w->physMin, error) || !Number(s, "phys_max", &w->physMax, error) ||
        !Number(s, "el_min", &w->elMin, error) || !Number(s, "el_max", &w->elMax, error) ||
        !Number(s, "error_pct", &w->inputErrorPct, error) || !Number(s, "offset", &w->inputOffset, error) ||
        !Number(s, "source_mv", &w->source[0], error) || !Number(s, "source_ma", &w->source[1], error) ||
        !Number(s, "source_ohm", &w->source[2], error) || !Number(s, "source_v", &w->source[3], error))
        return false;
    s.endGroup();

    // hidden channel errors: meas_mv_gain = 0.02, emul_ohm_offset = 0.1, ...
    s.beginGroup(QStringLiteral("errors"));
    for (int i = 0; i < 5; ++i) {
        const QByteArray m = QByteArray("meas_") + kMeasChannelNames[i],
                         e = QByteArray("emul_") + kEmulChannelNames[i];
        if (!Number(s, QByteArray(m + "_gain").constData(), &w->measError[i].gain, error) ||
            !Number(s, QByteArray(m + "_offset").constData(), &w->measError[i].offset, error) ||
            !Number(s, QByteArray(e + "_gain").constData(), &w->emulError[i].gain, error) ||
            !Number(s, QByteArray(e + "_offset").constData(), &w->emulError[i].offset, error))
            return false;
    }
    s.endGroup();

    s.beginGroup(QStringLiteral("loop"));
    v = w->loop.inputCode;
    if (!Number(s, "input_code", &v, error)) return false;
    w->loop.inputCode = int(v);
    if (!Number(s, "in_min", &w->loop.inMin, error) || !Number(s, "in_max", &w->loop.inMax, error) ||
        !Number(s, "phys_min", &w->loop.physMin, error) || !Number(s, "phys_max", &w->loop.physMax, error) ||
        !Number(s, "error_pct", &w->loop.errorPct, error) || !Number(s, "lag_s", &w->loop.lagS, error))
        return false;
    s.endGroup();

    s.beginGroup(QStringLiteral("reference"));
    double type = w->referenceType, unit = w->referenceUnit, pending = w->referencePendingReads;
    if (!Number(s, "type", &type, error) || !Number(s, "unit", &unit, error) || !Number(s, "pending_reads", &pending, error))
        return false;
    w->referenceType = int(type);
    w->referenceUnit = int(unit);
    w->referencePendingReads = int(pending);
    s.endGroup();

    s.beginGroup(QStringLiteral("relays"));
    if (!Number(s, "relay1", &w->relay1Threshold, error) || !Number(s, "relay2", &w->relay2Threshold, error)) return false;
    s.endGroup();

    s.beginGroup(QStringLiteral("hart"));
    double delay = w->hartDelayMs, count = 0;
    if (!Number(s, "delay_ms", &delay, error) || !Number(s, "devices", &count, error)) return false;
    w->hartDelayMs = int(delay);
    s.endGroup();
    for (int i = 1; i <= int(count) && i <= 16; ++i) {
        s.beginGroup(QStringLiteral("hart%1").arg(i));
        HartDevice d;
        double addr = d.pollingAddress, mfr = d.manufacturer, type2 = d.deviceType, id = d.deviceId, ucode = d.unitCode,
               lo = d.lower, hi = d.upper, rc = 0;
        if (!Number(s, "address", &addr, error) || !Number(s, "manufacturer", &mfr, error) ||
            !Number(s, "device_type", &type2, error) || !Number(s, "device_id", &id, error) ||
            !Number(s, "unit", &ucode, error) || !Number(s, "lower", &lo, error) || !Number(s, "upper", &hi, error) ||
            !Number(s, "response_code", &rc, error))
            return false;
        if (addr < 0 || addr > 15) {
            *error = QStringLiteral("hart%1/address: 0 to 15").arg(i);
            return false;
        }
        d.pollingAddress = int(addr);
        d.manufacturer = std::uint8_t(mfr);
        d.deviceType = std::uint8_t(type2);
        d.deviceId = std::uint32_t(id) & 0xFFFFFF;
        d.unitCode = std::uint8_t(ucode);
        d.lower = float(lo);
        d.upper = float(hi);
        d.responseCode = std::uint8_t(rc);
        d.pv = QuantityOf(s.value(QStringLiteral("pv"), QStringLiteral("temperature")).toString());
        w->hart.push_back(d);
        s.endGroup();
    }
    return true;
}

} // namespace sim
