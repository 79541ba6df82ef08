#pragma once

#include <QHostAddress>

namespace hb {

// An address in the one form it is compared and shown in: an IPv4 address carried in IPv6
// (::ffff:a.b.c.d) as plain IPv4, and without an IPv6 zone.
QHostAddress plainAddress(const QHostAddress &address);

} // namespace hb
