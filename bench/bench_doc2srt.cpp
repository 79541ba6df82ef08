// Converting a two-hour transcript (.docx, about 2,000 cues) to SRT, against `pandoc -f docx -t
// plain` of the same file, which only extracts the text. The counter "ratio" is pandoc's
// wall-clock time over the converter's (the goal is at least 20).
//
// The document is built once, in a temporary folder, as a word processor writes it: one
// paragraph per line, each run with a little formatting, a cue number, a timing line, one or two
// text lines and an empty paragraph per cue.

#include "converters/DocToSRTImport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "BenchRuns.h"

#include <benchmark/benchmark.h>
#include <zip.h>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

constexpr int kCues = 2000;

QByteArray paragraph(const QByteArray &text)
{
    return "<w:p><w:pPr><w:spacing w:after=\"0\"/></w:pPr><w:r><w:rPr><w:rFonts "
           "w:ascii=\"Calibri\"/>"
           "<w:sz w:val=\"22\"/></w:rPr><w:t xml:space=\"preserve\">" +
           text + "</w:t></w:r></w:p>";
}

QByteArray stamp(qint64 msec)
{
    return QString::asprintf("%02lld:%02lld:%02lld,%03lld", msec / 3600000, msec / 60000 % 60,
                             msec / 1000 % 60, msec % 1000)
        .toLatin1();
}

QByteArray documentXml()
{
    static const QList<QByteArray> words{"so",     "the",   "grade",     "on",     "this",
                                         "shot",   "needs", "a",         "little", "more",
                                         "warmth", "in",    "highlights"};
    QRandomGenerator random(7);
    QByteArray body;
    qint64 at = 0;
    for (int cue = 1; cue <= kCues; ++cue) {
        const qint64 length = 1500 + random.bounded(2500);
        body += paragraph(QByteArray::number(cue));
        body += paragraph(stamp(at) + " --&gt; " + stamp(at + length));
        for (int line = 0, lines = 1 + random.bounded(2); line < lines; ++line) {
            QByteArray text;
            for (int w = 0, n = 5 + random.bounded(6); w < n; ++w)
                text += (w ? " " : "") + words[random.bounded(words.size())];
            body += paragraph(text);
        }
        body += "<w:p/>";
        at += length + 100 + random.bounded(400);
    }
    return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
           R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
           "<w:body>" +
           body + "</w:body></w:document>";
}

struct Transcript {
    QTemporaryDir folder;
    QString path = folder.filePath(u"Interview.docx"_s);
    bool ready = false;

    Transcript()
    {
        const QList<std::pair<QByteArray, QByteArray>> entries{
            {"[Content_Types].xml",
             R"(<?xml version="1.0" encoding="UTF-8"?>)"
             R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
             R"(<Default Extension="rels")"
             R"( ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
             R"(<Default Extension="xml" ContentType="application/xml"/>)"
             R"(<Override PartName="/word/document.xml" ContentType="application/)"
             R"(vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>)"},
            {"_rels/.rels",
             R"(<?xml version="1.0" encoding="UTF-8"?>)"
             R"(<Relationships)"
             R"( xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
             R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/)"
             R"(2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>)"},
            {"word/document.xml", documentXml()}};
        int error = 0;
        zip_t *zip =
            zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (!folder.isValid() || !zip)
            return;
        for (const auto &[name, content] : entries) {
            zip_source_t *source =
                zip_source_buffer(zip, content.constData(), zip_uint64_t(content.size()), 0);
            if (zip_file_add(zip, name.constData(), source, 0) < 0) {
                zip_discard(zip);
                return;
            }
        }
        ready = zip_close(zip) == 0;
    }
};

const Transcript &transcript()
{
    static const Transcript instance;
    return instance;
}

double seconds(QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

void BM_Doc2SrtVersusPandoc(benchmark::State &state)
{
    const Transcript &bench = transcript();
    if (!bench.ready) {
        state.SkipWithError("could not build the transcript");
        return;
    }
    const QByteArray pandoc =
        "pandoc -f docx -t plain '" + QFile::encodeName(bench.path) + "' > /dev/null";
    double convertTotal = 0;
    double pandocTotal = 0;
    qsizetype cues = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const auto result = hb::DocToSRTImport::importFile(bench.path);
        const double convert = seconds(timer);
        if (!result) {
            state.SkipWithError(result.error().description.toUtf8().constData());
            return;
        }
        cues = result->cueCount;

        timer.restart();
        const int status = std::system(pandoc.constData());
        const double extracted = seconds(timer);
        if (status != 0) {
            state.SkipWithError("pandoc failed");
            return;
        }
        state.SetIterationTime(convert);
        convertTotal += convert;
        pandocTotal += extracted;
    }
    state.counters["cues"] = double(cues);
    state.counters["convert_ms"] = 1000 * convertTotal / double(state.iterations());
    state.counters["pandoc_ms"] = 1000 * pandocTotal / double(state.iterations());
    state.counters["ratio"] = pandocTotal / convertTotal;
}

} // namespace

BENCHMARK(BM_Doc2SrtVersusPandoc)
    ->Iterations(hb::bench::runs(5))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
