// Unpacking a template: whatever the archive holds, nothing lands outside the destination
// folder and no more than the limit is written. The input is the archive file itself.
//
// The destination sits four folders below a private work folder, so an entry that climbs out
// with up to four ".." components would show up there.
#include "FuzzCheck.h"
#include "mogrt/MogrtConverter.h"
#include "platform/zip/ZipArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <utility>

using hb::fuzz::check;

using namespace Qt::StringLiterals;

namespace {

constexpr hb::ArchiveLimits kLimits{4 * 1024 * 1024, 64};

struct Work {
    QString folder = QDir::tempPath() % u"/hb-fuzz-mogrt-archive-"_s %
                     QString::number(QCoreApplication::applicationPid());
    QString archive = folder % u"/input.mogrt"_s;
    QString chain = folder % u"/a"_s;
    QString destination = chain % u"/b/c/out"_s;

    Work()
    {
        check(QDir().mkpath(folder), "the work folder can be made");
        std::atexit([] { QDir(work().folder).removeRecursively(); });
    }
    static const Work &work()
    {
        static const Work instance;
        return instance;
    }
};

qint64 bytesBelow(const QString &folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        check(!it.fileInfo().isSymLink(), "no symbolic link is written");
        total += it.fileInfo().size();
    }
    return total;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Work &work = Work::work();
    {
        QFile file(work.archive);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the input can be written");
        check(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size),
              "the input is written whole");
    }

    const auto extracted = hb::extractArchive(work.archive, work.destination, kLimits);
    check(extracted || !extracted.error().description.isEmpty(), "a failure says why");
    check(bytesBelow(work.destination) <= kLimits.maxTotalBytes, "the limit holds");

    // Reading entries directly must hold to their declared sizes as well.
    if (const auto zip = hb::ZipArchive::open(work.archive); zip && zip->entryCount() <= 64) {
        for (qint64 index = 0; index < zip->entryCount(); ++index) {
            const auto entry = zip->entry(index);
            const auto bytes = zip->readAll(index, 1024 * 1024);
            check(!bytes || (entry && bytes->size() <= entry->size), "reads keep to the size");
        }
    }

    // Nothing but the archive and the destination's own chain of folders.
    const std::pair<QString, QString> expected[] = {{work.folder, u"input.mogrt"_s},
                                                    {work.folder, u"a"_s},
                                                    {work.chain, u"b"_s},
                                                    {work.chain + u"/b"_s, u"c"_s},
                                                    {work.chain + u"/b/c"_s, u"out"_s}};
    const auto filter = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    for (const auto &place : expected) {
        for (const QString &name : QDir(place.first).entryList(filter)) {
            const std::pair<QString, QString> found{place.first, name};
            check(std::find(std::begin(expected), std::end(expected), found) != std::end(expected),
                  "nothing is written outside the destination");
        }
    }
    QDir(work.chain).removeRecursively();
    return 0;
}
