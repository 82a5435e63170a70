#include "DoRemoveObj.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {
struct CountingDelegate : DoRemoveObjDelegate
{
    int ends = 0;
    void removeObjEnd() override { ++ends; }
};
} // namespace

TEST(DoRemoveObj, HandsEveryPathToTheToolWithOnePassThenEnds)
{
    testsupport::TempBundle bundle;
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("calls"));
    const QString tool =
        bundle.writeResource(QStringLiteral("srm"), "#!/bin/sh\necho \"$1 $2\" >> '" +
                                                        QFile::encodeName(log) + "'\nrm -f -- \"$2\"\n");
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::ExeOwner);
    QStringList paths;
    for (int i = 0; i < 3; ++i) {
        paths << dir.filePath(QStringLiteral("p%1").arg(i));
        QFile file(paths.last());
        file.open(QIODevice::WriteOnly);
        file.write("data");
    }
    CountingDelegate delegate;
    DoRemoveObj remover(paths);
    remover.setDelegate(&delegate);
    ASSERT_TRUE(testsupport::waitUntil([&] { return delegate.ends == 1; }));
    QFile calls(log);
    calls.open(QIODevice::ReadOnly);
    EXPECT_EQ(QString::fromUtf8(calls.readAll()),
              QStringLiteral("-fsvrz %1\n-fsvrz %2\n-fsvrz %3\n").arg(paths[0], paths[1], paths[2]));
    for (const QString &path : paths)
        EXPECT_FALSE(QFile::exists(path));
}

TEST(DoRemoveObj, EmptyListOrMissingToolStillEndsOnceForADelegateSetAfterConstruction)
{
    testsupport::TempBundle bundle; // no tool in it
    testsupport::LogCapture log;
    for (const QStringList &paths :
         {QStringList(), QStringList{QStringLiteral("/tmp/x1"), QStringLiteral("/tmp/x2")}}) {
        CountingDelegate delegate;
        DoRemoveObj remover(paths);
        remover.setDelegate(&delegate);
        EXPECT_EQ(delegate.ends, 0);
        ASSERT_TRUE(testsupport::waitUntil([&] { return delegate.ends == 1; }));
        EXPECT_FALSE(remover.runTaskWithPath());
    }
}
