#pragma once

class QApplication;

namespace hb {

// The whole application is shown dark: the Fusion style with a dark palette.
void applyDarkAppearance(QApplication &application);

} // namespace hb
