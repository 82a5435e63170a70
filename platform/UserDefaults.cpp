#include "platform/UserDefaults.h"

#include "platform/UserFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

namespace {

const QString kAppleLanguages = QStringLiteral("AppleLanguages");

UserDefaults *&overrideInstance()
{
    static UserDefaults *instance = nullptr;
    return instance;
}

// A defaults file is a few lines; anything near this size is not one.
constexpr qint64 kMaxFileSize = 1 << 20;

QByteArray readPrivateFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writePrivateFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

UserDefaults::UserDefaults(const QString &filePath) : UserDefaults(filePath, InvokingUser::find()) {}

UserDefaults::UserDefaults(const QString &filePath, std::optional<InvokingUser> owner)
    : m_filePath(filePath), m_owner(std::move(owner))
{
    if (!m_owner) {
        m_settings = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
        return;
    }
    // A folder only root can enter holds the working copy; it is filled before the settings read it.
    m_privateFolder = std::make_unique<QTemporaryDir>();
    m_privateFile = m_privateFolder->filePath(QStringLiteral("defaults.conf"));
    loadOwnersFile();
    m_settings = std::make_unique<QSettings>(m_privateFile, QSettings::IniFormat);
}

std::optional<QByteArray> UserDefaults::loadOwnersFile()
{
    const std::optional<QByteArray> bytes = UserFile::read(*m_owner, m_filePath, kMaxFileSize);
    if (bytes && readPrivateFile(m_privateFile) != *bytes)
        writePrivateFile(m_privateFile, *bytes);
    return bytes;
}

UserDefaults::~UserDefaults()
{
    synchronize();
}

UserDefaults &UserDefaults::standard()
{
    if (UserDefaults *test = overrideInstance())
        return *test;
    static UserDefaults defaults(defaultFilePath());
    return defaults;
}

void UserDefaults::setStandardOverride(UserDefaults *defaults)
{
    overrideInstance() = defaults;
}

QString UserDefaults::defaultFilePath()
{
    QString configFolder;
    if (const std::optional<InvokingUser> person = InvokingUser::find())
        configFolder = person->home() + QStringLiteral("/.config");
    else
        configFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (configFolder.isEmpty())
        configFolder = QDir::homePath() + QStringLiteral("/.config");
    return configFolder + QStringLiteral("/ostrivan-nullwell/defaults.conf");
}

QString UserDefaults::filePath() const
{
    return m_filePath;
}

QVariant UserDefaults::objectForKey(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    const QVariant value = m_settings->value(key);
    if (!value.isValid() && key == kAppleLanguages) {
        // Not chosen for this program: the person's own languages, most preferred first.
        return QLocale::system().uiLanguages();
    }
    return value;
}

qint64 UserDefaults::integerForKey(const QString &key) const
{
    return objectForKey(key).toLongLong();
}

bool UserDefaults::boolForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().toLower();
        return text == QLatin1String("true") || text == QLatin1String("yes") || text.toLongLong() != 0;
    }
    return value.toBool();
}

QString UserDefaults::stringForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (!value.isValid() || value.typeId() == QMetaType::QVariantList ||
        value.typeId() == QMetaType::QStringList || value.typeId() == QMetaType::QVariantMap)
        return QString();
    return value.toString();
}

QVariantList UserDefaults::arrayForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList)
        return value.toList();
    return QVariantList();
}

QStringList UserDefaults::stringArrayForKey(const QString &key) const
{
    QStringList out;
    const QVariantList list = arrayForKey(key);
    for (const QVariant &item : list)
        out.append(item.toString());
    return out;
}

void UserDefaults::setObject(const QVariant &value, const QString &key)
{
    QMutexLocker lock(&m_mutex);
    if (!value.isValid())
        m_settings->remove(key);
    else
        m_settings->setValue(key, value);
}

void UserDefaults::setInteger(qint64 value, const QString &key)
{
    setObject(QVariant(qlonglong(value)), key);
}

void UserDefaults::setBool(bool value, const QString &key)
{
    setObject(QVariant(value), key);
}

void UserDefaults::removeObjectForKey(const QString &key)
{
    QMutexLocker lock(&m_mutex);
    m_settings->remove(key);
}

bool UserDefaults::synchronize()
{
    QMutexLocker lock(&m_mutex);
    if (!m_owner) {
        m_settings->sync();
        return m_settings->status() == QSettings::NoError;
    }
    // What the person's own programs wrote meanwhile is merged with our changes, as a settings file
    // of their own would be.
    const std::optional<QByteArray> stored = loadOwnersFile();
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        return false;
    const QByteArray bytes = readPrivateFile(m_privateFile);
    if (stored ? *stored == bytes : bytes.isEmpty())
        return true;
    UserFile::Options options;
    options.createFolders = true;
    return UserFile::writeAtomically(*m_owner, m_filePath, bytes, options);
}
