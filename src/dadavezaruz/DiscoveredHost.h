#pragma once

#include <QString>

#include <optional>

namespace hb {

// A server found by browsing the local network.
struct DiscoveredHost {
    QString id; // made when the entry is made
    QString name;
    QString type;
    QString domain;
    std::optional<QString> resolvedIP; // dotted IPv4, once looked up
    friend bool operator==(const DiscoveredHost &, const DiscoveredHost &) = default;
};

} // namespace hb
