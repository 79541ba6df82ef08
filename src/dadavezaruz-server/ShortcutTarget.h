#pragma once

#include <QString>

namespace hb {

// The application a shortcut message is aimed at, chosen by its lower-cased appTarget.
struct ShortcutTarget {
    QString applicationId; // empty: whatever application is in front
    QString windowClass;   // the X11 window class of that application here

    // "resolve" and "obs" name their applications; any other text means the frontmost one.
    static ShortcutTarget forAppTarget(const QString &appTarget);
};

} // namespace hb
