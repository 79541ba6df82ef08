#pragma once

class QApplication;

namespace hb {

// The whole application is shown dark: the Fusion style, with field edges drawn to be seen
// (DarkStyle), and a dark palette.
void applyDarkAppearance(QApplication &application);

} // namespace hb
