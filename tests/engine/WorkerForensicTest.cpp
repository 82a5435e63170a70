// What a run of the erasure worker leaves on the device, with the real tool: a folder of 40 files,
// an empty file, a link and a sub-folder erased whole, and a file, an empty file and a link erased
// from a folder that stays, searched for on the raw image afterwards (content, names, attribute
// values; inside the journal and out). Needs root and loop devices.
#include "RemoveFileAndFolder.h"
#include "WorkListBuilder.h"

#include "common/ForensicScene.h"
#include "common/TestSupport.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using testsupport::ForensicScene;
using testsupport::LoopImage;

struct EndDelegate : RemoveFileAndFolderDelegate
{
    int ends = 0;
    void removeObjEnd(const FileObjList &) override { ++ends; }
};

FileObjPtr item(const QString &path)
{
    const QFileInfo info(path);
    auto obj = std::make_shared<FileObj>();
    obj->setUrl(path);
    obj->setName(info.fileName());
    obj->setSize(info.isDir() ? 0 : info.size());
    obj->setIsDir(info.isDir() && !info.isSymLink());
    obj->setIsSelect(true);
    return obj;
}

} // namespace

TEST(WorkerForensic, ARunLeavesNoContentNameOrAttributeValueOfWhatItErased)
{
    testsupport::TempBundle bundle;
    QFile tool(QStringLiteral(NULLWELL_RESOURCES "/srm"));
    ASSERT_TRUE(tool.open(QIODevice::ReadOnly));
    QFile::setPermissions(bundle.writeResource(QStringLiteral("srm"), tool.readAll()),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    for (const QString &kind : {QStringLiteral("ext4"), QStringLiteral("xfs")}) {
        const std::string fileSystem = kind.toStdString();
        if (const QString why = LoopImage::unavailableReason(kind); !why.isEmpty()) {
            std::printf("[ SKIPPED  ] %s: %s\n", fileSystem.c_str(), why.toLocal8Bit().constData());
            continue;
        }
        for (const int times : {1, 3, 7, 35}) {
            UserDefaults::standard().setObject(times, QStringLiteral("EraserTimes"));
            QTemporaryDir folder;
            ForensicScene scene(folder.path(), kind, true);
            ASSERT_TRUE(scene.ready()) << fileSystem << ": " << scene.error().toStdString();
            FileObjList chosen;
            for (const QString &path : scene.chosen())
                chosen << item(path);
            const FileObjList list = WorkListBuilder().build(chosen);
            ASSERT_EQ(list.size(), 48) << "the folder: 40 files, 2 entries, a sub-folder and its file; 3 beside";
            EndDelegate delegate;
            RemoveFileAndFolder worker;
            worker.setDelegate(&delegate);
            worker.benginToTraskWithArr(list);
            ASSERT_TRUE(testsupport::waitUntil([&] { return delegate.ends > 0; }, 60000)) << fileSystem;
            for (const FileObjPtr &done : list)
                EXPECT_EQ(done->failStr(), QStringLiteral("Success")) << done->url().toStdString();

            scene.expectNothingLeft(fileSystem + ", " + std::to_string(times) + " passes", kind);
        }
    }
    UserDefaults::standard().removeObjectForKey(QStringLiteral("EraserTimes"));
}
