#include "calibration/CalibrationNetworkLogging.h"

namespace hb {

Q_LOGGING_CATEGORY(lcCalibrationNetwork, "huebench.calibration.network", QtInfoMsg)

} // namespace hb
