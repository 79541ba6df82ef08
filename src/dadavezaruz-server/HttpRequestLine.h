#pragma once

#include <QByteArrayView>

namespace hb {

// Whether a line is the request line of an HTTP request ("GET /path HTTP/1.1", a WebSocket
// upgrade's GET, "PRI * HTTP/2.0"): a method token, a blank, a target, a blank, then "HTTP/"
// and a version, with or without the carriage return before the line feed.
//
// Any web page can make the browser send such a request, with a body of its choosing, to a port
// on this machine or the local network, so a connection that starts like this is not a pad.
bool isHttpRequestLine(QByteArrayView line);

} // namespace hb
