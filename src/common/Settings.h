#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QSettings;

namespace hb {

class SettingsNotifier;

// The documented settings keys, used as they stand.
namespace SettingsKey {
inline constexpr QLatin1StringView youtubeSearchSiteUrl{"youtubeSearchSiteUrl"};
inline constexpr QLatin1StringView dadavezaruzLastHost{"dadavezaruz.lastHost"};
inline constexpr QLatin1StringView dadavezaruzLastHostPort{"dadavezaruz.lastHostPort"};
inline constexpr QLatin1StringView dadavezaruzSavedHosts{"dadavezaruz.savedHosts"};
// 1 when the pad retries a lost connection by itself; off (absent or 0) by default.
inline constexpr QLatin1StringView dadavezaruzReconnectAutomatically{
    "dadavezaruz.reconnectAutomatically"};
// The display the calibration patterns go to in full screen, by its name.
inline constexpr QLatin1StringView calibrationFullScreenDisplay{"calibration.fullScreenDisplay"};
// 1 when the calibration patterns are drawn in video range (16-235); full range by default.
inline constexpr QLatin1StringView calibrationVideoLevels{"calibration.videoLevels"};
// 1 when the calibration readings come from a colorimeter; the network meter by default.
inline constexpr QLatin1StringView calibrationColorimeter{"calibration.colorimeter"};
// Measure mode's number of grey steps, and its patch size (0 full field, 1 18 %, 2 10 %).
inline constexpr QLatin1StringView calibrationGreySteps{"calibration.greySteps"};
inline constexpr QLatin1StringView calibrationPatchArea{"calibration.patchArea"};
inline constexpr QLatin1StringView gamesColorInvadersBestScore{"games.colorInvaders.bestScore"};
inline constexpr QLatin1StringView gamesBouncingMonitorsBestScore{
    "games.bouncingMonitors.bestScore"};
// The main window's geometry and splitter (Qt's own encodings) and the tool open at the end.
inline constexpr QLatin1StringView windowGeometry{"window.geometry"};
inline constexpr QLatin1StringView windowSplitter{"window.splitter"};
inline constexpr QLatin1StringView windowLastTool{"window.lastTool"};
// What the user last typed into the tools that have no store of their own.
inline constexpr QLatin1StringView footageInputs{"footage.inputs"};
inline constexpr QLatin1StringView docToSrtLastSource{"docToSrt.lastSource"};
// The frame rate of HH:MM:SS:FF stamps (e.g. "23.976") and the reading-speed limit in
// characters a second that DOC to SRT marks cues against.
inline constexpr QLatin1StringView docToSrtFrameRate{"docToSrt.frameRate"};
inline constexpr QLatin1StringView docToSrtMaxCharactersPerSecond{
    "docToSrt.maxCharactersPerSecond"};
} // namespace SettingsKey

// The one access point to the user's settings: an INI file in the user's configuration folder
// (organisation and application "Huebench"). Values are passed through unchanged and every
// change is written to disk before the call returns. A change that cannot be written (read-only
// folder, full disk) stays in memory for this object's lifetime only; writeError() then says why
// and notifier() emits writeFailed().
class Settings {
public:
    Settings();
    // A settings file at a chosen path, for tests and tools.
    explicit Settings(const QString &iniFile);
    ~Settings();

    Settings(const Settings &) = delete;
    Settings &operator=(const Settings &) = delete;

    QString fileName() const;

    QString text(QLatin1StringView key, const QString &fallback = {}) const;
    void setText(QLatin1StringView key, const QString &value);

    std::optional<qint64> integer(QLatin1StringView key) const;
    void setInteger(QLatin1StringView key, qint64 value);

    QByteArray bytes(QLatin1StringView key) const;
    void setBytes(QLatin1StringView key, const QByteArray &value);

    bool contains(QLatin1StringView key) const;
    void remove(QLatin1StringView key);

    // Why the last change could not be written, as a sentence for the user; empty when it was.
    QString writeError() const { return m_writeError; }
    // Reports every change that any Settings of the process could not write.
    static SettingsNotifier &notifier();

    // The tutorial browser's search site; empty until the user sets one.
    QString youtubeSearchSiteUrl() const;
    void setYoutubeSearchSiteUrl(const QString &url);

private:
    static std::unique_ptr<QSettings> openFile(const QString &iniFile);
    void write(QLatin1StringView key, const QVariant &value);
    // Before a change: after a failed write, a fresh QSettings for a fresh status().
    void recoverFromFailure();
    // Writes pending changes to disk and reports a failure.
    void sync();
    QString failureReason() const;

    QString m_iniFile; // empty for the user's settings file
    std::unique_ptr<QSettings> m_settings;
    QString m_writeError;
};

} // namespace hb
