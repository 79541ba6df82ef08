#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

class QUrl;

namespace hb {

// Which navigations the tutorial browser lets through: hosts named exactly, and hosts ending in
// one of the allowed suffixes. Scheme and port play no part.
class NavigationPolicy {
public:
    enum class Decision {
        Cancel, // nothing to navigate to; said to nobody
        Allow,
        Block, // refused, and the user is told
    };

    static Decision decide(const QUrl &url, const QSet<QString> &allowedHosts,
                           const QStringList &allowedHostSuffixes);

    // The status line of a refused navigation.
    static QString blockedStatus(const QUrl &url);
};

} // namespace hb
