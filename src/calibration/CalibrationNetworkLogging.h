#pragma once

#include <QLoggingCategory>

namespace hb {

// The calibration host's networking: listener and meter connection status, refused sockets.
// Debug messages are off unless QT_LOGGING_RULES="huebench.calibration.network.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcCalibrationNetwork)

} // namespace hb
