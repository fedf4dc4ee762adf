#include "core/SettingsStore.h"

#include "core/AppError.h"
#include "core/FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cmath>

namespace {
const QString base64Key = QStringLiteral("base64");

bool isData(const QJsonValue &value)
{
    if (!value.isObject())
        return false;
    const QJsonObject object = value.toObject();
    return object.size() == 1 && object.value(base64Key).isString();
}

std::optional<QJsonObject> parseObject(const QByteArray &bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}
} // namespace

SettingsStore::SettingsStore(QString filePath, QObject *parent)
    : QObject(parent), m_filePath(std::move(filePath))
{
    m_heldWrite.setSingleShot(true);
    m_heldWrite.setInterval(heldWriteInterval);
    connect(&m_heldWrite, &QTimer::timeout, this, &SettingsStore::writePending);
    m_editSettled.setSingleShot(true);
    m_editSettled.setInterval(editSettleInterval);
    connect(&m_editSettled, &QTimer::timeout, this, [this] {
        takeEdits();
        watch();
    });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_editSettled,
            qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_editSettled,
            qOverload<>(&QTimer::start));
    load();
    watch();
}

SettingsStore::~SettingsStore()
{
    writePending();
}

void SettingsStore::holdWrites()
{
    ++m_holds;
}

void SettingsStore::releaseWrites()
{
    if (m_holds > 0 && --m_holds == 0)
        writePending();
}

bool SettingsStore::commit()
{
    if (m_holds == 0) {
        m_pending = true;
        return writePending();
    }
    m_pending = true;
    if (!m_heldWrite.isActive())
        m_heldWrite.start();
    return true;
}

bool SettingsStore::writePending()
{
    m_heldWrite.stop();
    if (!m_pending)
        return true;
    m_pending = false;
    // A held write comes later than the change it carries; an edit made since is kept too.
    takeEdits();
    return writeFile();
}

QString SettingsStore::defaultFilePath()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(configHome + QStringLiteral("/dusk-haven/settings.json"));
}

void SettingsStore::load()
{
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    file.close();
    const std::optional<QJsonObject> object = parseObject(bytes);
    if (!object) {
        // The next change would write over it: the user's settings are kept aside first.
        m_movedAsideFile = FileWriter::moveAside(m_filePath);
        return;
    }
    m_values = m_fileValues = *object;
    m_fileBytes = bytes;
}

void SettingsStore::takeEdits()
{
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        // A file that is gone is no edit: the values in effect stay, and the next write puts
        // them back.
        m_fileBytes.clear();
        m_fileUnreadable = false;
        return;
    }
    const QByteArray bytes = file.readAll();
    if (bytes == m_fileBytes)
        return;
    m_fileBytes = bytes;
    const std::optional<QJsonObject> edited = parseObject(bytes);
    m_fileUnreadable = !edited;
    if (!edited) {
        // Neither taken nor moved: an editor may be halfway through its save, and moving the
        // file from under a person still at work on it would be worse than waiting. The
        // values in effect stay, the person hears of it once for this content, and the file
        // stays as it is until this store next writes, which keeps it aside first, as one met
        // at start.
        Q_EMIT unreadableEdit();
        return;
    }
    QStringList changed;
    for (const QString &key : m_fileValues.keys() + edited->keys()) {
        const QJsonValue value = edited->value(key);
        if (value == m_fileValues.value(key) || value == m_values.value(key))
            continue;
        if (value.isUndefined())
            m_values.remove(key);
        else
            m_values.insert(key, value);
        changed.append(key);
    }
    m_fileValues = *edited;
    for (const QString &key : std::as_const(changed))
        Q_EMIT valueChanged(key);
}

void SettingsStore::watch()
{
    // Editors and this store replace the file by rename, which ends a watch on the file
    // itself: the folder's watch sees a rename, the file's a save in place, and the file's
    // is set again on whatever file now bears the name.
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!m_watcher.directories().contains(folder) && QFileInfo(folder).isDir())
        m_watcher.addPath(folder);
    if (m_watcher.files().contains(m_filePath))
        m_watcher.removePath(m_filePath);
    if (QFileInfo::exists(m_filePath))
        m_watcher.addPath(m_filePath);
}

std::optional<bool> SettingsStore::boolValue(const QString &key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

std::optional<qint64> SettingsStore::integerValue(const QString &key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // Beyond ±2^53 a double no longer holds every integer; such a value was not written here.
    if (std::trunc(number) != number || std::fabs(number) > 9007199254740992.0)
        return std::nullopt;
    return static_cast<qint64>(number);
}

std::optional<double> SettingsStore::doubleValue(const QString &key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isDouble())
        return std::nullopt;
    return value.toDouble();
}

std::optional<QString> SettingsStore::stringValue(const QString &key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<QByteArray> SettingsStore::dataValue(const QString &key) const
{
    const QJsonValue value = m_values.value(key);
    if (!isData(value))
        return std::nullopt;
    const QByteArray encoded = value.toObject().value(base64Key).toString().toLatin1();
    const auto decoded = QByteArray::fromBase64Encoding(encoded);
    if (!decoded)
        return std::nullopt;
    return *decoded;
}

bool SettingsStore::setBool(const QString &key, bool value)
{
    return store(key, QJsonValue(value));
}

bool SettingsStore::setInteger(const QString &key, qint64 value)
{
    return store(key, QJsonValue(value));
}

bool SettingsStore::setDouble(const QString &key, double value)
{
    // JSON has no NaN or infinity; storing one would make the file unreadable.
    if (!std::isfinite(value))
        return false;
    return store(key, QJsonValue(value));
}

bool SettingsStore::setString(const QString &key, const QString &value)
{
    return store(key, QJsonValue(value));
}

bool SettingsStore::setData(const QString &key, const QByteArray &value)
{
    return store(key, QJsonObject{{base64Key, QString::fromLatin1(value.toBase64())}});
}

bool SettingsStore::remove(const QString &key)
{
    takeEdits();
    if (!m_values.contains(key))
        return true;
    m_values.remove(key);
    const bool written = commit();
    Q_EMIT valueChanged(key);
    return written;
}

bool SettingsStore::value(const FlagSetting &setting) const
{
    return boolValue(setting.key).value_or(setting.fallback);
}

double SettingsStore::value(const NumberSetting &setting) const
{
    const double stored = doubleValue(setting.key).value_or(setting.fallback);
    return std::isfinite(stored) ? std::clamp(stored, setting.min, setting.max) : setting.fallback;
}

qint64 SettingsStore::value(const WholeNumberSetting &setting) const
{
    const std::optional<qint64> stored = integerValue(setting.key);
    return stored && *stored >= setting.min && *stored <= setting.max ? *stored : setting.fallback;
}

bool SettingsStore::set(const NumberSetting &setting, double value)
{
    return std::isfinite(value) &&
           setDouble(setting.key, std::clamp(value, setting.min, setting.max));
}

bool SettingsStore::set(const WholeNumberSetting &setting, qint64 value)
{
    return value >= setting.min && value <= setting.max && setInteger(setting.key, value);
}

bool SettingsStore::store(const QString &key, const QJsonValue &value)
{
    // An edit not yet read is taken first, so that this change, the later one, wins over it.
    takeEdits();
    if (m_values.contains(key) && m_values.value(key) == value)
        return true;
    m_values.insert(key, value);
    const bool written = commit();
    Q_EMIT valueChanged(key);
    return written;
}

bool SettingsStore::writeFile()
{
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    if (m_fileUnreadable) {
        // The person's text is never written over; while it cannot be kept aside, nothing is.
        const QString kept = FileWriter::moveAside(m_filePath);
        if (kept.isEmpty())
            return false;
        m_movedAsideFile = kept;
        m_fileUnreadable = false;
        m_fileBytes.clear();
    }
    const QByteArray bytes = QJsonDocument(m_values).toJson(QJsonDocument::Indented);
    try {
        FileWriter::writeWhole(m_filePath, bytes);
    } catch (const AppError &) {
        return false;
    }
    m_fileBytes = bytes;
    m_fileValues = m_values;
    watch();
    return true;
}

namespace IdSetSetting {
QSet<QString> read(const SettingsStore &settings, const QString &key)
{
    const QString text = settings.stringValue(key).value_or(QStringLiteral("[]"));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return {};
    QSet<QString> ids;
    for (const QJsonValue &value : document.array()) {
        // An array holding anything but strings is not a set of ids at all.
        if (!value.isString())
            return {};
        ids.insert(value.toString());
    }
    return ids;
}

QString encode(const QSet<QString> &ids)
{
    QStringList sorted(ids.cbegin(), ids.cend());
    std::sort(sorted.begin(), sorted.end());
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(sorted)).toJson(QJsonDocument::Compact));
}

bool write(SettingsStore &settings, const QString &key, const QSet<QString> &ids)
{
    return settings.setString(key, encode(ids));
}
} // namespace IdSetSetting
