#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

class QUrl;

namespace hb {

// Which navigations the tutorial browser lets through: web addresses (http, https) whose host is
// named exactly or ends in one of the allowed suffixes, and the host-less kinds that stay within
// the page (about:, data:, blob:). The port plays no part; every other scheme is refused.
class NavigationPolicy {
public:
    enum class Decision {
        Cancel, // nothing to navigate to; said to nobody
        Allow,
        Block,       // a host outside the lists, refused, and the user is told
        BlockScheme, // a scheme the browser does not open (file:, ftp:, mailto:, ...), likewise
    };

    static Decision decide(const QUrl &url, const QSet<QString> &allowedHosts,
                           const QStringList &allowedHostSuffixes);

    // The status line of a refused navigation; for a refused scheme it names the scheme.
    static QString blockedStatus(const QUrl &url);
};

} // namespace hb
