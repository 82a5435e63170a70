// Whether erased content can be found on the device afterwards: a small ext4 image on a loop
// device, a file with a unique marker, the tool (or a plain rm for contrast), then a search of the
// raw image. Needs root and loop devices; skipped with a message elsewhere.
#include "common/LoopImage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>

#include <unistd.h>

namespace {

bool runQuietly(const QString &program, const QStringList &arguments, QString *error = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
                    process.exitCode() == 0;
    if (!ok && error)
        *error =
            program + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return ok;
}

// Writes the marker file, erases it with the command, and answers whether the marker is still in
// the image (or an error text through skip).
bool markerSurvives(const QStringList &command, QString &skip)
{
    QTemporaryDir folder;
    testsupport::LoopImage image(folder.path());
    if (!image.mounted()) {
        skip = image.error();
        return false;
    }
    const QByteArray marker = "NULLWELL-MARKER-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    const QString path = image.mountPoint() + QStringLiteral("/marked.txt");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    for (int i = 0; i < 2000; ++i)
        file.write(marker + '\n');
    file.close();
    ::sync();

    QStringList arguments = command.mid(1);
    arguments << path;
    QString error;
    runQuietly(command.first(), arguments, &error);
    if (QFile::exists(path)) {
        skip = QStringLiteral("the file was not removed: ") + error;
        return true;
    }
    if (!image.unmount()) {
        skip = QStringLiteral("cannot unmount the image");
        return true;
    }
    return image.rawImage().contains(marker);
}

} // namespace

TEST(SrmForensic, NoCopyOfTheContentIsLeftOnTheDeviceWhileAPlainRemoveLeavesIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to set up a loop device";
    if (QStandardPaths::findExecutable(QStringLiteral("mkfs.ext4")).isEmpty() &&
        QStandardPaths::findExecutable(QStringLiteral("mkfs.ext4"),
                                       {QStringLiteral("/sbin"), QStringLiteral("/usr/sbin")})
            .isEmpty())
        GTEST_SKIP() << "mkfs.ext4 is not installed";

    QString skip;
    const bool afterRm = markerSurvives({QStringLiteral("rm"), QStringLiteral("-f")}, skip);
    if (!skip.isEmpty())
        GTEST_SKIP() << skip.toStdString();
    EXPECT_TRUE(afterRm) << "the contrast case: rm leaves the content on the device";

    for (const char *flags : {"-fsvrz", "-fEvrz", "-fmvrz", "-fvrz"}) {
        QString problem;
        const bool survives =
            markerSurvives({QStringLiteral(NULLWELL_RESOURCES "/srm"), QString::fromLatin1(flags)}, problem);
        EXPECT_TRUE(problem.isEmpty()) << flags << ": " << problem.toStdString();
        EXPECT_FALSE(survives) << flags;
    }
}
