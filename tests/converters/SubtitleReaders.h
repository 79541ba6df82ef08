#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace hb {

// Real subtitle readers that tests read the converter's output back with: ffmpeg and a strict
// SubRip validator from the npm registry (tests/tools, installed by scripts/install-deps). A
// reader that is missing is an error, never a reason to skip.
class SubtitleReaders {
public:
    SubtitleReaders() = delete;

    // What ffmpeg reads from `path` in `format` ("srt" or "webvtt"), written out again as SubRip
    // with line feeds only (so that both formats compare with the converter's SubRip); `error`
    // says why when it could not read the file or complained about it.
    static QString readWithFfmpeg(const QString &path, const QString &format, QString *error);

    // The validator's complaints about each file ("line N: what"; none for a valid file);
    // `error` says why when the validator could not be run.
    static QHash<QString, QStringList> validateSubRip(const QStringList &paths, QString *error);
};

} // namespace hb
