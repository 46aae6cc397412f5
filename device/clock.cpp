#include "device/clock.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace device {
namespace {

QDateTime Naive(const DeviceClock& c)
{
    // fields compared as fields: UTC is used only as "no zone"
    return QDateTime(QDate(c.year, c.month, c.day), QTime(c.hour, c.minute, c.second), Qt::UTC);
}

} // namespace

bool DeviceClock::IsValid() const
{
    return QDate::isValid(year, month, day) && QTime::isValid(hour, minute, second);
}

int ReadClock(devlink::TInterface& link, DeviceClock* clock)
{
    int* fields[6] = {&clock->year, &clock->month, &clock->day, &clock->hour, &clock->minute, &clock->second};
    for (int i = 0; i < 6; ++i) {
        const int r = link.ReadRegisterInt(kClockRegisters[i], fields[i]);
        if (r != 0) return r;
    }
    return 0;
}

int WriteClock(devlink::TInterface& link, const DeviceClock& clock)
{
    const int fields[6] = {clock.year, clock.month, clock.day, clock.hour, clock.minute, clock.second};
    for (int i = 0; i < 6; ++i) {
        const int r = link.WriteRegisterInt(kClockRegisters[i], fields[i]);
        if (r != 0) return r;
    }
    return 0;
}

PcTime SystemPcTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    PcTime pc;
    pc.clock = {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
    pc.zone = now.timeZoneAbbreviation();
    pc.offsetS = now.offsetFromUtc();
    return pc;
}

DeviceClock SyncFields(const DeviceClock& pc)
{
    DeviceClock c = pc;
    if (c.second < 59) ++c.second;
    return c;
}

QString RawClockText(const DeviceClock& c)
{
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(c.year, 4, 10, QLatin1Char('0'))
        .arg(c.month, 2, 10, QLatin1Char('0'))
        .arg(c.day, 2, 10, QLatin1Char('0'))
        .arg(c.hour, 2, 10, QLatin1Char('0'))
        .arg(c.minute, 2, 10, QLatin1Char('0'))
        .arg(c.second, 2, 10, QLatin1Char('0'));
}

QString ClockText(const DeviceClock& c, const QLocale& locale)
{
    if (!c.IsValid()) return RawClockText(c);
    return locale.toString(QDate(c.year, c.month, c.day), QLocale::ShortFormat) + QLatin1Char(' ') +
           QTime(c.hour, c.minute, c.second).toString(QStringLiteral("HH:mm:ss"));
}

QString ZoneText(const PcTime& pc)
{
    const int a = pc.offsetS < 0 ? -pc.offsetS : pc.offsetS;
    return QStringLiteral("%1, UTC%2%3:%4")
        .arg(pc.zone, pc.offsetS < 0 ? QStringLiteral("-") : QStringLiteral("+"))
        .arg(a / 3600, 2, 10, QLatin1Char('0'))
        .arg(a / 60 % 60, 2, 10, QLatin1Char('0'));
}

std::optional<long long> ClockDifference(const DeviceClock& calibrator, const DeviceClock& pc)
{
    if (!calibrator.IsValid() || !pc.IsValid()) return std::nullopt;
    return Naive(pc).secsTo(Naive(calibrator));
}

QString DifferenceText(long long seconds)
{
    const QString sign = seconds < 0 ? QStringLiteral("−") : seconds > 0 ? QStringLiteral("+") : QString();
    return QStringLiteral("(Δ ") + sign + QString::number(seconds < 0 ? -seconds : seconds) +
           QStringLiteral(" с)");
}

} // namespace device
