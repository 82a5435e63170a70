#include "platform/UserDefaults.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString kAppleLanguages = QStringLiteral("AppleLanguages");

UserDefaults *&overrideInstance()
{
    static UserDefaults *instance = nullptr;
    return instance;
}

// The uid of the person pkexec acted for, when we are root on someone's behalf.
bool invokingUser(uint *uid, QString *home)
{
    if (::geteuid() != 0)
        return false;
    const QByteArray text = qgetenv("PKEXEC_UID");
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value == 0)
        return false;
    const passwd *entry = ::getpwuid(value);
    if (!entry || !entry->pw_dir)
        return false;
    *uid = value;
    *home = QString::fromLocal8Bit(entry->pw_dir);
    return true;
}

} // namespace

UserDefaults::UserDefaults(const QString &filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)), m_ownerUid(0),
      m_chownToOwner(false)
{
    uint uid = 0;
    QString home;
    if (invokingUser(&uid, &home) && filePath.startsWith(home + QLatin1Char('/'))) {
        m_ownerUid = uid;
        m_chownToOwner = true;
    }
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
    uint uid = 0;
    QString home;
    if (invokingUser(&uid, &home))
        configFolder = home + QStringLiteral("/.config");
    else
        configFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (configFolder.isEmpty())
        configFolder = QDir::homePath() + QStringLiteral("/.config");
    return configFolder + QStringLiteral("/ostrivan-nullwell/defaults.conf");
}

QString UserDefaults::filePath() const
{
    return m_settings->fileName();
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
    m_settings->sync();
    if (m_chownToOwner) {
        // Written as root for the person: hand the folder and file back to them.
        const QFileInfo info(m_settings->fileName());
        const QByteArray folder = QFile::encodeName(info.absolutePath());
        const QByteArray file = QFile::encodeName(info.absoluteFilePath());
        const passwd *entry = ::getpwuid(m_ownerUid);
        const gid_t gid = entry ? entry->pw_gid : gid_t(-1);
        if (::chown(folder.constData(), m_ownerUid, gid) != 0 || ::chown(file.constData(), m_ownerUid, gid) != 0) {
            // Nothing more to do: the values are stored all the same.
        }
    }
    return m_settings->status() == QSettings::NoError;
}
