#include "RunScript.h"

#include "LaunchNotice.h"

#include "platform/Authorization.h"
#include "base/ErrorText.h"
#include "platform/Bundle.h"
#include "platform/ChildProcess.h"
#include "platform/LanguageCode.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kCurLanguage = QStringLiteral("CurLanguage");
const QString kSupportLanguage = QStringLiteral("SupportLanguage");
const QString kZelto = QStringLiteral("Zelto");
const QString kEnglishName = QStringLiteral("English");
const QString kEnglish = QStringLiteral("en");
const QString kPasswordRequired = QStringLiteral("The administrator password is required to do this.");

struct LanguageChoice
{
    QString code;
    QString fallback;
};

LanguageChoice mapPreferredLanguage(const QString &preferred)
{
    static const QStringList traditional = {QStringLiteral("zh-Hant"), QStringLiteral("zh-HK"),
                                            QStringLiteral("zh-MO"), QStringLiteral("zh-TW")};
    if (traditional.contains(preferred))
        return {QStringLiteral("zh-Hant-TW"), QStringLiteral("zh-Hant-TW")};
    if (preferred == QLatin1String("zh-Hans"))
        return {QStringLiteral("zh-Hans-CN"), QStringLiteral("zh-Hans-CN")};
    if (preferred == QLatin1String("pt"))
        return {QStringLiteral("pt-BR"), QStringLiteral("pt-BR")};
    return {preferred, kEnglish};
}

// A code must survive the trip through the argument vector as the same non-empty text; any other
// entry is treated as not there, or the main program would hand back and the prompt would repeat.
bool isUsableCode(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString)
        return false;
    const QString code = value.toString();
    if (code.isEmpty())
        return false;
    for (const QChar c : code) {
        if (c.unicode() == 0 || c.unicode() > 0x7f)
            return false;
    }
    return true;
}

QString settingsPath()
{
    const Bundle inner(Bundle::mainBundle().bundlePath() +
                       QStringLiteral("/Contents/MacOS/" NULLWELL_PRODUCT ".app"));
    return inner.pathForResource(QStringLiteral("StringMessage"), QStringLiteral("plist"));
}

// The list lies in the installed bundle, which belongs to root; the person's choice is kept with
// the person's defaults instead, and a choice that cannot be kept is said so in the log.
void keepChoice(const QString &name)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setObject(name, kCurLanguage);
    if (!defaults.synchronize())
        platform::log(
            QStringLiteral("Cannot keep the language choice %1 in %2").arg(name, defaults.filePath()));
}

// The entry of the list serving code: the exact code first, else the same language.
QString supportedEntry(const QVariantMap &supported, const QString &code)
{
    QStringList codes;
    for (const QVariant &value : supported) {
        if (isUsableCode(value))
            codes.append(value.toString());
    }
    const QString match = codes.contains(code) ? code : LanguageCode::bestMatch(code, codes);
    for (auto it = supported.cbegin(); it != supported.cend(); ++it) {
        if (!match.isEmpty() && isUsableCode(it.value()) && it.value().toString() == match)
            return it.key();
    }
    return QString();
}

} // namespace

void RunScript::logIdentityRun(bool asAdministrator)
{
    QString output;
    QString error;
    if (runProcess(QStringLiteral("/usr/bin/id"), {QStringLiteral("-un")}, &output, &error, asAdministrator))
        platform::log(QStringLiteral("success:%1!").arg(output));
    else
        platform::log(QStringLiteral("failure:%1!").arg(error));
}

QString RunScript::mainProgramPath(const QString &outerBundlePath)
{
    return outerBundlePath +
           QStringLiteral("/Contents/MacOS/" NULLWELL_PRODUCT ".app/Contents/MacOS/" NULLWELL_PRODUCT);
}

qint32 RunScript::RunTool(const QString &path)
{
    const QString code = GetCurrentLanaguage();
    const qint32 status = Authorization::executeWithPrivileges(path, {code});
    if (status != Authorization::kSuccess)
        platform::logf("could not start %s as administrator (status %d)", qPrintable(path), int(status));
    return status;
}

int RunScript::Launch(const QString &outerBundlePath)
{
    const QString path = mainProgramPath(outerBundlePath);
    const QFileInfo program(path);
    if (!program.isFile() || !program.isExecutable()) {
        LaunchNotice::shared().show(
            QStringLiteral("%1 cannot be started: its program is missing or cannot be run "
                           "(%2). Installing %1 again puts it back.")
                .arg(QStringLiteral(NULLWELL_PRODUCT), path));
        return 1;
    }
    switch (const qint32 status = RunTool(path)) {
    case Authorization::kSuccess:
        return 0;
    case Authorization::kCanceled:
        // The person said no (or gave up after a wrong password): nothing to tell them.
        return 1;
    case Authorization::kToolEnvironmentError:
        LaunchNotice::shared().show(
            QStringLiteral("%1 cannot be started: it runs as administrator, and pkexec, "
                           "which asks for the administrator password, is not installed. "
                           "Install the package pkexec (as root: apt install pkexec) and try again.")
                .arg(QStringLiteral(NULLWELL_PRODUCT)));
        return 1;
    case Authorization::kNoAuthenticationAgent:
        LaunchNotice::shared().show(
            QStringLiteral("%1 cannot be started: no polkit authentication agent is running, so "
                           "nothing can ask for the administrator password. Desktop sessions "
                           "start one; in a bare window manager session, start one (for example "
                           "lxpolkit) and try again.")
                .arg(QStringLiteral(NULLWELL_PRODUCT)));
        return 1;
    case Authorization::kDenied:
        LaunchNotice::shared().show(
            QStringLiteral("%1 cannot be started: administrator rights were refused. Your account "
                           "may not be allowed to act as administrator, or the password was not "
                           "accepted.")
                .arg(QStringLiteral(NULLWELL_PRODUCT)));
        return 1;
    default:
        LaunchNotice::shared().show(QStringLiteral("%1 cannot be started (status %2).")
                                        .arg(QStringLiteral(NULLWELL_PRODUCT))
                                        .arg(status));
        return 1;
    }
}

QString RunScript::GetCurrentLanaguage()
{
    const QStringList preferred =
        UserDefaults::standard().stringArrayForKey(QStringLiteral("AppleLanguages"));
    const LanguageChoice choice =
        mapPreferredLanguage(preferred.isEmpty() ? kEnglish : preferred.constFirst());

    const QString path = settingsPath();
    const std::optional<QVariantMap> settings =
        path.isEmpty() ? std::nullopt : PropertyList::readDictionary(path);
    const QVariantMap empty;
    const QVariantMap &values = settings ? *settings : empty;
    const QVariantMap supported = values.value(kSupportLanguage).toMap();

    if (values.contains(kZelto))
        return QStringLiteral("ja");

    // The person's own choice, else one an administrator put into the list.
    QVariant current = UserDefaults::standard().objectForKey(kCurLanguage);
    if (!current.isValid())
        current = values.value(kCurLanguage);
    if (current.isValid()) {
        for (auto it = supported.cbegin(); it != supported.cend(); ++it) {
            if (current.typeId() == QMetaType::QString && it.key() == current.toString() &&
                isUsableCode(it.value()))
                return it.value().toString();
        }
        return choice.fallback;
    }

    const QString entry = supportedEntry(supported, choice.code);
    if (!entry.isEmpty()) {
        const QString code = supported.value(entry).toString();
        keepChoice(code == kEnglish ? kEnglishName : entry);
        return code;
    }

    if (choice.fallback == kEnglish) {
        // Without a list there is nothing the choice could name.
        if (settings)
            keepChoice(kEnglishName);
        return kEnglish;
    }
    return choice.fallback;
}

bool RunScript::runProcess(const QString &path, const QStringList &arguments, QString *output,
                           QString *errorDescription, bool asAdministrator)
{
    if (errorDescription)
        errorDescription->clear();
    std::optional<QStringList> argv = QStringList{path} + arguments;
    if (asAdministrator) {
        argv = Authorization::administratorCommand(path, arguments);
        if (!argv) {
            if (errorDescription)
                *errorDescription =
                    QStringLiteral("pkexec is not installed, so administrator rights cannot be asked for.");
            return false;
        }
    }
    const bool throughPkexec = argv->size() > arguments.size() + 1;

    const QString program = argv->takeFirst();
    const std::optional<ChildProcess::Vector> vector = ChildProcess::arguments(program, *argv);
    if (!vector) {
        if (errorDescription)
            *errorDescription = QStringLiteral("An argument cannot be passed on unchanged.");
        return false;
    }
    const ChildProcess::Finished finished = ChildProcess::runToEnd(*vector);
    if (finished.startError != 0) {
        if (errorDescription)
            *errorDescription = QStringLiteral("%1: %2").arg(
                program, QString::fromStdString(base::errorText(finished.startError)));
        return false;
    }
    if (finished.exited && finished.exitStatus == 0) {
        QString text = QString::fromLocal8Bit(finished.output);
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        if (output)
            *output = text;
        return true;
    }
    if (!errorDescription)
        return false;
    if (throughPkexec && finished.exited && finished.exitStatus == Authorization::kPkexecNotAuthorized) {
        *errorDescription = kPasswordRequired;
    } else {
        const QString message = QString::fromLocal8Bit(finished.errors).trimmed();
        if (!message.isEmpty())
            *errorDescription = message;
    }
    return false;
}

void RunScript::Test()
{
    QString output;
    QString error;
    const bool ok = runProcess(QStringLiteral("/usr/bin/id"), {QStringLiteral("-un")}, &output, &error, true);
    platform::log(ok ? QStringLiteral("success!") : QStringLiteral("failure!"));
}

void RunScript::Test2()
{
    logIdentityRun(false);
}

void RunScript::Test3()
{
    logIdentityRun(true);
}
