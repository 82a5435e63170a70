#include "TitleBarDoubleClick.h"

#include "platform/ChildProcess.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

std::optional<TitleBarDoubleClick::Choice> &override()
{
    static std::optional<TitleBarDoubleClick::Choice> choice;
    return choice;
}

std::optional<TitleBarDoubleClick::Choice> fromKWinConfig()
{
    const QString path = QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("kwinrc"));
    if (path.isEmpty())
        return std::nullopt;
    QSettings kwin(path, QSettings::IniFormat);
    const QVariant value = kwin.value(QStringLiteral("Windows/TitlebarDoubleClickCommand"));
    if (!value.isValid())
        return std::nullopt;
    return TitleBarDoubleClick::Choice{TitleBarDoubleClick::fromKWin(value.toString()), QStringLiteral("kwinrc")};
}

std::optional<TitleBarDoubleClick::Choice> fromGSettings()
{
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (gsettings.isEmpty())
        return std::nullopt;
    const std::optional<ChildProcess::Vector> argv = ChildProcess::arguments(
        gsettings, {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.wm.preferences"),
                    QStringLiteral("action-double-click-titlebar")});
    if (!argv)
        return std::nullopt;
    // A desktop without the schema answers at once with an error; one that hangs is not waited for.
    const ChildProcess::Finished finished = ChildProcess::runToEnd(*argv, 2000);
    if (!finished.exited || finished.exitStatus != 0)
        return std::nullopt;
    QString value = QString::fromUtf8(finished.output).trimmed();
    value.remove(QLatin1Char('\''));
    if (value.isEmpty())
        return std::nullopt;
    return TitleBarDoubleClick::Choice{TitleBarDoubleClick::fromGnome(value), QStringLiteral("gsettings")};
}

} // namespace

TitleBarDoubleClick::Action TitleBarDoubleClick::fromGnome(const QString &value)
{
    if (value.startsWith(QLatin1String("toggle-maximize")))
        return Action::Zoom;
    if (value == QLatin1String("minimize"))
        return Action::Minimize;
    return Action::Nothing;
}

TitleBarDoubleClick::Action TitleBarDoubleClick::fromKWin(const QString &value)
{
    if (value.startsWith(QLatin1String("Maximize")))
        return Action::Zoom;
    if (value == QLatin1String("Minimize"))
        return Action::Minimize;
    return Action::Nothing;
}

TitleBarDoubleClick::Choice TitleBarDoubleClick::current()
{
    if (override())
        return *override();
    static const Choice desktop = [] {
        const bool kde = qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QLatin1String("KDE"));
        std::optional<Choice> found = kde ? fromKWinConfig() : fromGSettings();
        if (!found)
            found = kde ? fromGSettings() : fromKWinConfig();
        return found.value_or(Choice{Action::Zoom, QStringLiteral("default")});
    }();
    return desktop;
}

void TitleBarDoubleClick::setOverride(std::optional<Choice> choice)
{
    override() = std::move(choice);
}
