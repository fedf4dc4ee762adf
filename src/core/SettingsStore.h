#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <chrono>
#include <limits>
#include <optional>

// The names of every user setting, so that readers and writers never disagree on a spelling.
namespace SettingsKey {
inline const QString openLauncherOnLaunch = QStringLiteral("openLauncherOnLaunch");
inline const QString onboardingCompleted = QStringLiteral("onboardingCompleted");
inline const QString favoriteSceneIds = QStringLiteral("favoriteSceneIds");
inline const QString lastPlayedPlaylistId = QStringLiteral("lastPlayedPlaylistId");
inline const QString pinnedPlaylistIds = QStringLiteral("pinnedPlaylistIds");
inline const QString ambientLayerVolumes = QStringLiteral("ambientLayerVolumes");
inline const QString volume = QStringLiteral("volume");
inline const QString autoPauseExternalAudio = QStringLiteral("autoPauseExternalAudio");
inline const QString autoPauseLowPowerMode = QStringLiteral("autoPauseLowPowerMode");
inline const QString autoPauseLowBattery = QStringLiteral("autoPauseLowBattery");
inline const QString globalHotkeysEnabled = QStringLiteral("globalHotkeysEnabled");
inline const QString animatedSceneLoops = QStringLiteral("animatedSceneLoops");
inline const QString reduceMotion = QStringLiteral("reduceMotion");
inline const QString launchAtLogin = QStringLiteral("launchAtLogin");
inline const QString cacheSizeBudgetMB = QStringLiteral("cacheSizeBudgetMB");
inline const QString sleepTimerSuspends = QStringLiteral("sleepTimerSuspends");
inline const QString focusMinutes = QStringLiteral("focusMinutes");
inline const QString breakMinutes = QStringLiteral("breakMinutes");
inline const QString longBreakMinutes = QStringLiteral("longBreakMinutes");
inline const QString focusMixId = QStringLiteral("focusMixId");
inline const QString breakMixId = QStringLiteral("breakMixId");
// The catalogue's address, when a person points the app at a catalogue of their own.
inline const QString catalogueUrl = QStringLiteral("catalogueUrl");
} // namespace SettingsKey

// A setting with a typed value: what it reads as when absent or of another type, and the range
// a number must keep. Services and views read and write through these, so a default or a bound
// is written once.
struct FlagSetting
{
    const QString &key;
    bool fallback;
};
struct NumberSetting
{
    const QString &key;
    double fallback;
    double min;
    double max;
};
struct WholeNumberSetting
{
    const QString &key;
    qint64 fallback;
    qint64 min;
    qint64 max;
};

namespace Setting {
inline constexpr FlagSetting openLauncherOnLaunch{SettingsKey::openLauncherOnLaunch, true};
inline constexpr FlagSetting onboardingCompleted{SettingsKey::onboardingCompleted, false};
inline constexpr FlagSetting autoPauseExternalAudio{SettingsKey::autoPauseExternalAudio, false};
inline constexpr FlagSetting autoPauseLowPowerMode{SettingsKey::autoPauseLowPowerMode, false};
inline constexpr FlagSetting autoPauseLowBattery{SettingsKey::autoPauseLowBattery, false};
inline constexpr FlagSetting globalHotkeysEnabled{SettingsKey::globalHotkeysEnabled, false};
inline constexpr FlagSetting animatedSceneLoops{SettingsKey::animatedSceneLoops, true};
inline constexpr FlagSetting reduceMotion{SettingsKey::reduceMotion, false};
inline constexpr FlagSetting launchAtLogin{SettingsKey::launchAtLogin, false};
inline constexpr FlagSetting sleepTimerSuspends{SettingsKey::sleepTimerSuspends, false};
// The music's volume, 0 to 1.
inline constexpr NumberSetting volume{SettingsKey::volume, 0.8, 0.0, 1.0};
// The audio cache's budget in megabytes; the settings window shows it as a whole number.
inline constexpr WholeNumberSetting cacheSizeBudgetMB{SettingsKey::cacheSizeBudgetMB, 500, 0,
                                                      std::numeric_limits<int>::max()};
// A focus session's phases, in minutes.
inline constexpr WholeNumberSetting focusMinutes{SettingsKey::focusMinutes, 25, 1, 120};
inline constexpr WholeNumberSetting breakMinutes{SettingsKey::breakMinutes, 5, 1, 120};
inline constexpr WholeNumberSetting longBreakMinutes{SettingsKey::longBreakMinutes, 15, 1, 120};
} // namespace Setting

// The user's settings: one flat JSON object of typed values in a file a person can read and
// edit. Every write rewrites the whole file atomically, so a crash never leaves half a file.
// A file that is not a JSON object reads as empty (every key at its default); it is moved
// aside at once (movedAsideFile()), so the next write never destroys what the user had.
//
// The file is followed while the app runs: a key a person changes there takes effect and
// notifies as a change made here does, and a write takes in what the file holds now before
// it replaces it, so an edit of another key is never lost. Where the file and this run both
// changed a key, the later change wins.
//
// Readers can tell an absent key (contains() is false) from a value of the wrong type
// (contains() is true, the typed getter gives none). Byte strings are stored as
// {"base64": "…"}.
class SettingsStore : public QObject
{
    Q_OBJECT

public:
    explicit SettingsStore(QString filePath, QObject *parent = nullptr);
    ~SettingsStore() override;

    // $XDG_CONFIG_HOME/dusk-haven/settings.json
    static QString defaultFilePath();

    const QString &filePath() const { return m_filePath; }
    // Where an unreadable settings file was last kept (met at start, or an unreadable edit
    // about to be written over); empty when there was none.
    const QString &movedAsideFile() const { return m_movedAsideFile; }

    bool contains(const QString &key) const { return m_values.contains(key); }
    // The stored JSON value; undefined when absent.
    QJsonValue raw(const QString &key) const { return m_values.value(key); }

    // None when absent or of another type.
    std::optional<bool> boolValue(const QString &key) const;
    std::optional<qint64> integerValue(const QString &key) const; // integral numbers only
    std::optional<double> doubleValue(const QString &key) const;  // any number
    std::optional<QString> stringValue(const QString &key) const;
    std::optional<QByteArray> dataValue(const QString &key) const;

    // A typed setting: its fallback when absent or of another type. A number beyond its range
    // is held at the nearer end; a whole number out of its range reads as the fallback.
    bool value(const FlagSetting &setting) const;
    double value(const NumberSetting &setting) const;
    qint64 value(const WholeNumberSetting &setting) const;

    // Each setter stores the value and writes the file; valueChanged is emitted only when the
    // stored value really changes. Returns false when the file could not be written (the value
    // is still in effect for this run).
    bool setBool(const QString &key, bool value);
    bool setInteger(const QString &key, qint64 value);
    bool setDouble(const QString &key, double value);
    bool setString(const QString &key, const QString &value);
    bool setData(const QString &key, const QByteArray &value);
    bool remove(const QString &key);
    // A number is held within its range; one that is not finite, or a whole number out of its
    // range, is refused (false, nothing stored).
    bool set(const FlagSetting &setting, bool value) { return setBool(setting.key, value); }
    bool set(const NumberSetting &setting, double value);
    bool set(const WholeNumberSetting &setting, qint64 value);

    // While a slider is dragged its value changes many times a second. Between holdWrites()
    // and releaseWrites() every value takes effect and notifies at once, but the file is
    // written at most once per heldWriteInterval, and at once on the last release. Holds
    // nest. A write still pending when the store goes (at quit) is made then.
    static constexpr std::chrono::milliseconds heldWriteInterval{250};
    // An editor saves in several steps (write, rename, change of mode); the file is read once
    // they have stopped for this long.
    static constexpr std::chrono::milliseconds editSettleInterval{200};
    void holdWrites();
    void releaseWrites();

    // Calls `react` each time the stored value of `key` changes, for as long as `receiver`
    // lives: always on a later turn of the event loop, never inside the store's own update
    // (which may run inside the writer's). Every follower of a setting goes through here.
    template <typename Functor>
    QMetaObject::Connection follow(const QString &key, const QObject *receiver, Functor react)
    {
        return connect(
            this, &SettingsStore::valueChanged, receiver,
            [key, react = std::move(react)](const QString &changed) {
                if (changed == key)
                    react();
            },
            Qt::QueuedConnection);
    }

Q_SIGNALS:
    void valueChanged(const QString &key);
    // The file, changed from outside while the app runs, is not a JSON object. Once for each
    // such content; the values in effect stay.
    void unreadableEdit();

private:
    bool store(const QString &key, const QJsonValue &value);
    // Writes the file now, or once the held interval ends; false when a write failed.
    bool commit();
    bool writePending();
    bool writeFile();
    void load();
    // Takes every key the file changed since this store last read or wrote it.
    void takeEdits();
    void watch();

    QString m_filePath;
    QString m_movedAsideFile;
    QJsonObject m_values;
    // The file as this store last read or wrote it; the bytes tell its own writes and
    // unchanged saves from edits, the object which keys an edit changed.
    QByteArray m_fileBytes;
    QJsonObject m_fileValues;
    bool m_fileUnreadable = false;
    QFileSystemWatcher m_watcher;
    QTimer m_editSettled;
    int m_holds = 0;
    bool m_pending = false;
    QTimer m_heldWrite;
};

// Sets of ids (favourite scenes, pinned scenes) are stored as a string holding a JSON array of
// the ids sorted ascending, in compact form. Every owner of such a key goes through here.
namespace IdSetSetting {
// The stored set; an absent key or a value that is not a JSON array of strings reads as empty.
QSet<QString> read(const SettingsStore &settings, const QString &key);
// The text stored for a set: ["a","b"].
QString encode(const QSet<QString> &ids);
bool write(SettingsStore &settings, const QString &key, const QSet<QString> &ids);
} // namespace IdSetSetting
