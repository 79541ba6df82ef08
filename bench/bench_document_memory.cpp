// The memory a Word reading takes for hostile documents: a .docx of about 1 MB whose main part
// holds one text run, deleted run or attribute value of 1000 MB, and one whose elements nest
// without end. Each is read in a child process; the counter "peak_growth_MB" is how far its
// peak resident memory (VmHWM) rose above what it used before the read, which must stay below
// about 64 MB. A valid document with 20 MB of text shows the cost of a reading that succeeds
// ("text_MB" is the size of the text it gives, in UTF-16).
//
// The documents are deflated as they are generated, so building them takes little memory too.

#include "platform/documents/DocumentTextReader.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include "BenchRuns.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <map>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMegabyte = 1000 * 1000;

// Appends a ZIP entry to `zip` and its central directory record to `directory`. `write` hands
// the entry's data, piece by piece, to the function it is given; the data is deflated as it
// comes. Sizes stay below 4 GiB, so no ZIP64 records are needed.
class ZipWriter {
public:
    using Producer = std::function<void(const std::function<void(QByteArrayView)> &)>;

    bool add(const QByteArray &name, const Producer &write)
    {
        z_stream stream{};
        if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9,
                         Z_DEFAULT_STRATEGY) != Z_OK)
            return false;
        QByteArray deflated;
        uLong crc = crc32(0, nullptr, 0);
        quint64 size = 0;
        QByteArray out(256 * 1024, Qt::Uninitialized);
        bool ok = true;
        const auto pump = [&](QByteArrayView piece, int flush) {
            stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(piece.data()));
            stream.avail_in = uInt(piece.size());
            do {
                stream.next_out = reinterpret_cast<Bytef *>(out.data());
                stream.avail_out = uInt(out.size());
                if (deflate(&stream, flush) == Z_STREAM_ERROR)
                    ok = false;
                deflated.append(out.constData(), out.size() - qsizetype(stream.avail_out));
            } while (stream.avail_out == 0);
        };
        write([&](QByteArrayView piece) {
            crc = crc32(crc, reinterpret_cast<const Bytef *>(piece.data()), uInt(piece.size()));
            size += quint64(piece.size());
            pump(piece, Z_NO_FLUSH);
        });
        pump({}, Z_FINISH);
        deflateEnd(&stream);
        if (!ok || size >= 0xFFFFFFFFu)
            return false;

        const auto offset = quint32(m_zip.size());
        m_zip += header(0x04034b50, name, quint32(crc), quint32(deflated.size()), quint32(size));
        m_zip += name + deflated;
        m_directory +=
            header(0x02014b50, name, quint32(crc), quint32(deflated.size()), quint32(size), offset);
        m_directory += name;
        ++m_entries;
        return true;
    }

    QByteArray finish() const
    {
        QByteArray end;
        put32(end, 0x06054b50);
        put16(end, 0);
        put16(end, 0);
        put16(end, m_entries);
        put16(end, m_entries);
        put32(end, quint32(m_directory.size()));
        put32(end, quint32(m_zip.size()));
        put16(end, 0);
        return m_zip + m_directory + end;
    }

private:
    static void put16(QByteArray &into, quint16 value)
    {
        into.append(char(value & 0xFF)).append(char(value >> 8));
    }
    static void put32(QByteArray &into, quint32 value)
    {
        put16(into, quint16(value & 0xFFFF));
        put16(into, quint16(value >> 16));
    }

    // A local header, or a central one when `offset` is given.
    static QByteArray header(quint32 signature, const QByteArray &name, quint32 crc,
                             quint32 compressed, quint32 size, std::optional<quint32> offset = {})
    {
        QByteArray bytes;
        put32(bytes, signature);
        if (offset)
            put16(bytes, 20); // made by
        put16(bytes, 20);     // needed to extract
        put16(bytes, 0);      // flags
        put16(bytes, 8);      // deflated
        put32(bytes, 0);      // time and date
        put32(bytes, crc);
        put32(bytes, compressed);
        put32(bytes, size);
        put16(bytes, quint16(name.size()));
        put16(bytes, 0); // extra field
        if (offset) {
            put16(bytes, 0); // comment
            put16(bytes, 0); // disk
            put16(bytes, 0); // internal attributes
            put32(bytes, 0); // external attributes
            put32(bytes, *offset);
        }
        return bytes;
    }

    QByteArray m_zip;
    QByteArray m_directory;
    quint16 m_entries = 0;
};

// A main part: `head`, then `count` times `unit`, then `tail`.
struct MainPart {
    QByteArray head;
    QByteArray unit;
    qint64 count = 0;
    QByteArray tail;
};

const QByteArray kDocumentStart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document "
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>";
const QByteArray kDocumentEnd = "</w:body></w:document>";

QByteArray docx(const MainPart &part)
{
    ZipWriter zip;
    const auto text = [](const QByteArray &content) {
        return [content](const std::function<void(QByteArrayView)> &write) { write(content); };
    };
    zip.add("[Content_Types].xml",
            text(R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
                 R"(<Override PartName="/word/document.xml" ContentType="application/)"
                 R"(vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
                 R"(</Types>)"));
    zip.add("word/document.xml", [&part](const std::function<void(QByteArrayView)> &write) {
        write(part.head);
        // The unit repeated into pieces of about 1 MB.
        const qint64 perPiece = qMax<qint64>(1, kMegabyte / qMax<qsizetype>(1, part.unit.size()));
        const QByteArray piece = part.unit.repeated(qsizetype(perPiece));
        qint64 left = part.count;
        for (; left >= perPiece; left -= perPiece)
            write(piece);
        write(part.unit.repeated(qsizetype(left)));
        write(part.tail);
    });
    return zip.finish();
}

// The documents, by name, built once for a given size of their hostile part.
QString documentPath(const QString &name, qint64 megabytes)
{
    static QTemporaryDir folder;
    static std::map<std::pair<QString, qint64>, QString> built;
    const auto key = std::make_pair(name, megabytes);
    if (const auto found = built.find(key); found != built.end())
        return found->second;

    const qint64 bytes = megabytes * kMegabyte;
    MainPart part;
    if (name == u"text_run") {
        part = {kDocumentStart + "<w:p><w:r><w:t>", "x", bytes,
                "</w:t></w:r></w:p>" + kDocumentEnd};
    } else if (name == u"deleted_run") {
        part = {kDocumentStart + "<w:p><w:del><w:r><w:delText>", "x", bytes,
                "</w:delText></w:r></w:del></w:p>" + kDocumentEnd};
    } else if (name == u"attribute") {
        part = {kDocumentStart + "<w:p w:rsidR=\"", "x", bytes, "\"/>" + kDocumentEnd};
    } else if (name == u"nesting") {
        part = {kDocumentStart + "<w:p>", "<w:r>", bytes / 5, ""};
    } else {
        // Valid: paragraphs of 100 characters.
        part = {kDocumentStart, "<w:p><w:r><w:t>" + QByteArray(100, 'x') + "</w:t></w:r></w:p>",
                bytes / 100, kDocumentEnd};
    }
    QString path = folder.filePath(name + u".docx"_s);
    QFile file(path);
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(docx(part)) < 0)
        return {};
    built.emplace(key, path);
    return path;
}

// A figure of /proc/self/status, in kB.
qint64 statusKilobytes(const char *field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct Measurement {
    qint64 growthKilobytes = -1;
    qint64 textBytes = 0;
    qint64 fileBytes = 0;
    qint32 errorCode = 0; // of the read, 0 when it gave text
};

// Reads the document in a child process and returns what the child measured.
Measurement measure(const QString &path)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        Measurement result;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            result.fileBytes = bytes.size();
            const qint64 before = statusKilobytes("VmRSS");
            const auto text = hb::DocumentTextReader::read(bytes);
            result.growthKilobytes = statusKilobytes("VmHWM") - before;
            result.textBytes = text ? text->size() * 2 : 0;
            result.errorCode = text ? 0 : text.error().code;
        }
        const ssize_t written = write(channel[1], &result, sizeof result);
        _exit(written == sizeof result ? 0 : 1);
    }
    close(channel[1]);
    Measurement result;
    if (child < 0 || read(channel[0], &result, sizeof result) != sizeof result)
        result = {};
    close(channel[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return result;
}

void BM_DocumentReadingMemory(benchmark::State &state, const QString &name, qint64 megabytes)
{
    if (hb::bench::isSmokeRun())
        megabytes = qMin<qint64>(megabytes, 40);
    const QString path = documentPath(name, megabytes);
    if (path.isEmpty()) {
        state.SkipWithError("could not build the document");
        return;
    }
    Measurement worst;
    for (auto _ : state) {
        const Measurement measured = measure(path);
        if (measured.growthKilobytes < 0) {
            state.SkipWithError("the child process measured nothing");
            return;
        }
        if (measured.growthKilobytes >= worst.growthKilobytes)
            worst = measured;
    }
    state.counters["file_MB"] = double(worst.fileBytes) / double(kMegabyte);
    state.counters["hostile_MB"] = double(megabytes);
    state.counters["text_MB"] = double(worst.textBytes) / double(kMegabyte);
    state.counters["peak_growth_MB"] = double(worst.growthKilobytes) * 1024 / double(kMegabyte);
    state.counters["error_code"] = worst.errorCode;
}

} // namespace

BENCHMARK_CAPTURE(BM_DocumentReadingMemory, text_run, u"text_run"_s, 1000)
    ->Iterations(hb::bench::runs(3))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DocumentReadingMemory, deleted_run, u"deleted_run"_s, 1000)
    ->Iterations(hb::bench::runs(3))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DocumentReadingMemory, attribute, u"attribute"_s, 1000)
    ->Iterations(hb::bench::runs(3))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DocumentReadingMemory, nesting, u"nesting"_s, 1000)
    ->Iterations(hb::bench::runs(3))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DocumentReadingMemory, valid_text, u"valid"_s, 20)
    ->Iterations(hb::bench::runs(3))
    ->Unit(benchmark::kMillisecond);
