#include "LaunchNotice.h"

#include "platform/Log.h"

#include <QApplication>
#include <QMessageBox>

namespace {

LaunchNotice *&overrideInstance()
{
    static LaunchNotice *instance = nullptr;
    return instance;
}

QString &pending()
{
    static QString message;
    return message;
}

} // namespace

LaunchNotice &LaunchNotice::shared()
{
    if (LaunchNotice *test = overrideInstance())
        return *test;
    static LaunchNotice notice;
    return notice;
}

void LaunchNotice::setSharedOverride(LaunchNotice *notice)
{
    overrideInstance() = notice;
}

void LaunchNotice::show(const QString &message)
{
    platform::log(message);
    pending() = message;
}

void LaunchNotice::showPending(int argc, char *argv[])
{
    if (pending().isEmpty() || QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    QApplication application(argc, argv);
    QMessageBox box(QMessageBox::Critical, QStringLiteral(NULLWELL_PRODUCT), pending(), QMessageBox::Ok);
    box.exec();
}
