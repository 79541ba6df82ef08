// Converting a large template against unpacking the same file with the system's `unzip`: the
// converter unpacks every entry (checking each CRC-32), reads the definition and removes its
// folder again, so it should cost little more than `unzip` alone. The counter "ratio" is the
// converter's wall-clock time over unzip's (the goal is at most 1.2).
//
// The template (built once, in a temporary folder) holds 400 entries of 250 KB of poorly
// compressible bytes, about 100 MB in all, plus its definition.

#include "mogrt/MogrtConverter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "BenchRuns.h"

#include <benchmark/benchmark.h>
#include <zip.h>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

constexpr int kEntries = 400;
constexpr qsizetype kEntrySize = 250 * 1000;

// Bytes drawn from 64 values: deflate saves only about a quarter, as with real media.
QByteArray poorlyCompressible(QRandomGenerator &random)
{
    QByteArray bytes(kEntrySize, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(0x20 + random.bounded(64));
    return bytes;
}

struct Template {
    QTemporaryDir folder;
    QString path = folder.filePath(u"Bench Title.mogrt"_s);
    qint64 unpackedBytes = 0;
    bool ready = false;

    Template()
    {
        int error = 0;
        zip_t *zip =
            zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (!folder.isValid() || !zip)
            return;
        QRandomGenerator random(2024);
        QList<QByteArray> contents{
            R"({"clientControls":[{"name":"Source Text","value":{"text":"Bench"}}]})"_ba};
        for (int i = 0; i < kEntries; ++i)
            contents.append(poorlyCompressible(random));
        for (qsizetype i = 0; i < contents.size(); ++i) {
            const QByteArray name =
                i == 0 ? "definition.json"_ba : "media/clip" + QByteArray::number(i) + ".bin";
            zip_source_t *source = zip_source_buffer(zip, contents[i].constData(),
                                                     zip_uint64_t(contents[i].size()), 0);
            const zip_int64_t index = zip_file_add(zip, name.constData(), source, 0);
            if (index < 0 ||
                zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_DEFLATE, 1)) {
                zip_discard(zip);
                return;
            }
            unpackedBytes += contents[i].size();
        }
        ready = zip_close(zip) == 0;
    }
};

const Template &benchTemplate()
{
    static const Template instance;
    return instance;
}

double seconds(QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

void BM_ConvertVersusUnzip(benchmark::State &state)
{
    const Template &bench = benchTemplate();
    if (!bench.ready) {
        state.SkipWithError("could not build the template");
        return;
    }
    const QString unzipFolder = bench.folder.filePath(u"unzipped"_s);
    const QByteArray unzip = "unzip -o -q '" + QFile::encodeName(bench.path) + "' -d '" +
                             QFile::encodeName(unzipFolder) + "'";
    double convertTotal = 0;
    double unzipTotal = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const auto macro = hb::convertMogrt(bench.path);
        const double convert = seconds(timer);
        if (!macro) {
            state.SkipWithError(macro.error().description.toUtf8().constData());
            return;
        }

        timer.restart();
        const int status = std::system(unzip.constData());
        const double unzipped = seconds(timer);
        QDir(unzipFolder).removeRecursively();
        if (status != 0) {
            state.SkipWithError("unzip failed");
            return;
        }

        state.SetIterationTime(convert);
        convertTotal += convert;
        unzipTotal += unzipped;
    }
    state.SetBytesProcessed(state.iterations() * bench.unpackedBytes);
    state.counters["convert_s"] = convertTotal / double(state.iterations());
    state.counters["unzip_s"] = unzipTotal / double(state.iterations());
    state.counters["ratio"] = convertTotal / unzipTotal;
    state.counters["archive_MB"] = double(QFileInfo(bench.path).size()) / 1e6;
}

} // namespace

BENCHMARK(BM_ConvertVersusUnzip)
    ->Iterations(hb::bench::runs(5))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
