#include "dadavezaruz/ShortcutPreset.h"

#include "common/TextHelpers.h"

namespace hb {
namespace {

struct Row {
    const char *category;
    const char *label;
    const char *sfSymbol;
    const char *colorHex;
    const char *keyCombo;
    const char *appTarget;
};

// Start and stop of a stream (and of a recording) send the same keys: the application toggles.
constexpr Row kRows[] = {
    {"Resolve", "Color Page", "paintpalette", "#6B5CE7", "shift+6", "resolve"},
    {"Resolve", "Edit Page", "timeline.selection", "#18D3BC", "shift+4", "resolve"},
    {"Resolve", "Cut Page", "scissors", "#FC9E38", "shift+2", "resolve"},
    {"Resolve", "Deliver Page", "arrow.up.doc", "#28B74F", "shift+8", "resolve"},
    {"Resolve", "Play / Pause", "playpause.fill", "#6B5CE7", "space", "resolve"},
    {"Resolve", "Play Reverse", "backward.fill", "#18D3BC", "j", "resolve"},
    {"Resolve", "Play Forward", "forward.fill", "#18D3BC", "l", "resolve"},
    {"Resolve", "Stop", "stop.fill", "#FC4444", "k", "resolve"},
    {"Resolve", "Mark In", "i.circle.fill", "#28B74F", "i", "resolve"},
    {"Resolve", "Mark Out", "o.circle.fill", "#FC9E38", "o", "resolve"},
    {"Resolve", "Add Grade", "plus.rectangle.fill", "#6B5CE7", "cmd+shift+c", "resolve"},
    {"Resolve", "Reset Grade", "arrow.counterclockwise", "#FC4444", "cmd+h", "resolve"},
    {"Resolve", "Undo", "arrow.uturn.backward", "#8888AA", "cmd+z", "resolve"},
    {"Resolve", "Redo", "arrow.uturn.forward", "#8888AA", "cmd+shift+z", "resolve"},
    {"Resolve", "Flag Red", "flag.fill", "#FC4444", "cmd+1", "resolve"},
    {"Resolve", "Flag Green", "flag.fill", "#28B74F", "cmd+2", "resolve"},
    {"Resolve", "Full Screen", "arrow.up.left.and.arrow.down.right", "#18D3BC", "cmd+f", "resolve"},
    {"Resolve", "Export", "square.and.arrow.up", "#28B74F", "cmd+e", "resolve"},
    {"OBS", "Start Stream", "dot.radiowaves.left.and.right", "#FC4444", "cmd+shift+s", "obs"},
    {"OBS", "Stop Stream", "stop.circle", "#8888AA", "cmd+shift+s", "obs"},
    {"OBS", "Start Record", "record.circle", "#FC4444", "cmd+shift+r", "obs"},
    {"OBS", "Stop Record", "stop.circle.fill", "#8888AA", "cmd+shift+r", "obs"},
    {"OBS", "Scene 1", "1.square.fill", "#6B5CE7", "ctrl+1", "obs"},
    {"OBS", "Scene 2", "2.square.fill", "#6B5CE7", "ctrl+2", "obs"},
    {"OBS", "Scene 3", "3.square.fill", "#6B5CE7", "ctrl+3", "obs"},
    {"OBS", "Scene 4", "4.square.fill", "#18D3BC", "ctrl+4", "obs"},
    {"OBS", "Mute Mic", "mic.slash.fill", "#FC9E38", "cmd+shift+m", "obs"},
    {"OBS", "Virtual Cam", "camera.fill", "#28B74F", "cmd+shift+v", "obs"},
};

} // namespace

const QList<ShortcutPreset> &shortcutPresets()
{
    static const QList<ShortcutPreset> presets = [] {
        QList<ShortcutPreset> list;
        for (const Row &row : kRows) {
            list.append({newUuidText(), QString::fromLatin1(row.category),
                         QString::fromLatin1(row.label), QString::fromLatin1(row.sfSymbol),
                         QString::fromLatin1(row.colorHex), QString::fromLatin1(row.keyCombo),
                         QString::fromLatin1(row.appTarget)});
        }
        return list;
    }();
    return presets;
}

} // namespace hb
