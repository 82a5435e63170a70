#include "NetworkModule.h"

#include "NetworkModuleInterface.h"
#include "platform/Bundle.h"
#include "platform/Log.h"

#include <QFile>
#include <QMutex>

#include <dlfcn.h>

namespace {

struct LoadState
{
    QMutex mutex;
    QString pathOverride;
    const NetworkModuleInterface *module = nullptr;
};

LoadState &state()
{
    static LoadState loaded;
    return loaded;
}

} // namespace

QString NetworkModule::fileName()
{
    return QStringLiteral("libnullwell_network.so");
}

QString NetworkModule::pathForExecutable(const QString &executablePath)
{
    return Bundle(Bundle::bundlePathForExecutable(executablePath)).contentsPath() + QStringLiteral("/PlugIns/")
        + fileName();
}

void NetworkModule::setPathOverride(const QString &path)
{
    LoadState &loaded = state();
    QMutexLocker lock(&loaded.mutex);
    loaded.pathOverride = path;
    loaded.module = nullptr;
}

const NetworkModuleInterface *NetworkModule::get()
{
    LoadState &loaded = state();
    QMutexLocker lock(&loaded.mutex);
    if (loaded.module)
        return loaded.module;
    const QString path = loaded.pathOverride.isEmpty()
        ? pathForExecutable(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")))
        : loaded.pathOverride;
    // Never closed: the network library keeps threads and globals of its own once used.
    void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        platform::log(QStringLiteral("cannot load the network module %1: %2").arg(path, QString::fromLocal8Bit(dlerror())));
        return nullptr;
    }
    const auto entry = reinterpret_cast<NetworkModuleEntry>(dlsym(handle, NULLWELL_NETWORK_MODULE_ENTRY));
    loaded.module = entry ? entry(NetworkModuleInterface::kVersion) : nullptr;
    if (!loaded.module)
        platform::log(QStringLiteral("the network module %1 is not one this program can use").arg(path));
    return loaded.module;
}
