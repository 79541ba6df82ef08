#pragma once

#include "platform/keyboard/X11KeyEventPoster.h"

#include <QString>
#include <QStringList>

#include <variant>

namespace hb {

// The command line of huebench-server.
struct HeadlessServerOptions {
    quint16 port = 58432;
    quint16 webPort = 58433; // the phone pad's
    bool web = true;         // serve the phone pad
    bool padLink = false;    // print the phone pad's link and QR code, then exit
    CommandKey commandKey = CommandKey::Control;
    bool commandKeyGiven = false;
    QStringList allowed; // addresses allowed for this run
    QString trustFile;   // one allowed address a line; empty: the default file
    bool quiet = false;  // no QR code in the output (for the journal)
    bool help = false;
    bool version = false;

    static QString usage();
    // The options, or the text of what is wrong with them.
    static std::variant<HeadlessServerOptions, QString> parse(const QStringList &arguments);
    // The default trust file, in the user's configuration folder.
    static QString defaultTrustFile();
    // The trust file in use.
    QString trustFilePath() const { return trustFile.isEmpty() ? defaultTrustFile() : trustFile; }
};

} // namespace hb
