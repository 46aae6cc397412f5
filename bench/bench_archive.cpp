// The archive file: reading a large archive, refusing hostile ones, sorting the rows. Time, and the
// peak memory a read adds (resident set high-water mark, reset before each read), as counters:
//   member_MiB   size of the "arc.xml" member (or what it declares)
//   extra_MiB    peak resident memory above what the process held before the read
//   extra_x      extra_MiB / member_MiB
#include "device/archive.h"
#include "device/archivemodel.h"
#include "simulator/archive.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <fstream>
#include <string>

namespace {

// Linux resident-set figures of this process, in KiB ("VmRSS", "VmHWM").
long StatusKiB(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::string(key).size() + 1));
    return -1;
}

// Gives free heap pages back to the system, then resets the high-water mark to the present
// resident set, so that the next peak is what the next read allocates.
void ResetPeak()
{
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

QTemporaryDir& Dir()
{
    static QTemporaryDir dir;
    return dir;
}

QString Zip(const char* name, const std::vector<sim::ZipMember>& members)
{
    const QString path = Dir().filePath(QString::fromLatin1(name));
    if (!QFile::exists(path)) sim::WriteZip(path, members);
    return path;
}

// Reads `path` in the loop; counts the peak extra memory of the last read.
void Read(benchmark::State& state, const QString& path, double memberBytes, bool expectOk)
{
    long extra = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ResetPeak();
        const long before = StatusKiB("VmRSS:");
        state.ResumeTiming();
        const device::ArchiveLoad load = device::ReadArchiveFile(path);
        benchmark::DoNotOptimize(load.records.data());
        state.PauseTiming();
        extra = StatusKiB("VmHWM:") - before;
        if (load.Ok() != expectOk) state.SkipWithError(load.reason.toUtf8().constData());
        state.ResumeTiming();
    }
    state.counters["member_MiB"] = memberBytes / (1 << 20);
    state.counters["extra_MiB"] = double(extra) / 1024;
    state.counters["extra_x"] = memberBytes > 0 ? double(extra) * 1024 / memberBytes : 0;
}

} // namespace

static void BM_Read10000Records(benchmark::State& state)
{
    const QString path = Dir().filePath(QStringLiteral("big.zip"));
    if (!QFile::exists(path)) sim::WriteArchive(path, 10000);
    Read(state, path, double(sim::ArchiveXml(10000).size()), true);
}
BENCHMARK(BM_Read10000Records)->Unit(benchmark::kMillisecond);

static void BM_Reject4GiBDeclared(benchmark::State& state)
{
    const QByteArray data = sim::RawDeflate(QByteArray(1 << 20, ' '));
    Read(state, Zip("4gib.zip", {{"arc.xml", data, true, 8, 4ull << 30, 0}}), 4.0 * (1 << 30), false);
}
BENCHMARK(BM_Reject4GiBDeclared)->Unit(benchmark::kMillisecond);

// 100 MiB of zeros declared as the largest member allowed: read up to the cap, then the CRC fails.
static void BM_RejectLying100MiBBomb(benchmark::State& state)
{
    static const QByteArray data = sim::RawDeflate(QByteArray(100 << 20, '\0'));
    Read(state, Zip("bomb.zip", {{"arc.xml", data, true, 8, quint64(device::kMaxMemberSize), 0}}),
         double(device::kMaxMemberSize), false);
}
BENCHMARK(BM_RejectLying100MiBBomb)->Unit(benchmark::kMillisecond);

// A real member of 16 MiB and one byte: refused by its declared size before anything is read.
static void BM_RejectReal16MiBOverCap(benchmark::State& state)
{
    Read(state, Zip("over.zip", {{"arc.xml", QByteArray(device::kMaxMemberSize + 1, ' ')}}),
         double(device::kMaxMemberSize + 1), false);
}
BENCHMARK(BM_RejectReal16MiBOverCap)->Unit(benchmark::kMillisecond);

// A real member of exactly 16 MiB that is not XML: read whole, then refused by the parser.
static void BM_RejectReal16MiBNotXml(benchmark::State& state)
{
    QByteArray junk(device::kMaxMemberSize, 'x');
    junk[0] = '<';
    Read(state, Zip("junk.zip", {{"arc.xml", junk}}), double(device::kMaxMemberSize), false);
}
BENCHMARK(BM_RejectReal16MiBNotXml)->Unit(benchmark::kMillisecond);

static void BM_RejectBillionLaughs(benchmark::State& state)
{
    QByteArray xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol \"lol\">\n";
    xml += "<!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n";
    for (int i = 2; i <= 9; ++i) {
        QByteArray e = "<!ENTITY lol" + QByteArray::number(i) + " \"";
        for (int k = 0; k < 10; ++k)
            e += "&lol" + QByteArray::number(i - 1) + ";";
        xml += e + "\">\n";
    }
    xml += "]>\n<Archive><Records><Record><Mode>&lol9;</Mode></Record></Records></Archive>\n";
    Read(state, Zip("laughs.zip", {{"arc.xml", xml}}), double(xml.size()), false);
}
BENCHMARK(BM_RejectBillionLaughs)->Unit(benchmark::kMillisecond);

static void BM_Sort10000Rows(benchmark::State& state)
{
    static const std::vector<device::ArchiveRecord> records =
        device::ParseArcXml(sim::ArchiveXml(10000)).records;
    device::ArchiveModel model;
    int column = 0;
    for (auto _ : state) {
        state.PauseTiming();
        model.SetRecords(records);
        state.ResumeTiming();
        model.sort(column);
        column = (column + 1) % device::kArchiveColumns;
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_Sort10000Rows)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
