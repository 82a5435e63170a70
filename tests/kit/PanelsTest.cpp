#include "Panels.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <QTimer>

namespace {

QFileDialog *openDialog()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QFileDialog *>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// Selects the named entries in the dialog's list once it has read the folder, then accepts.
void selectAndAccept(const QString &folder, const QStringList &names, bool *done)
{
    QFileDialog *dialog = openDialog();
    auto *model = dialog ? dialog->findChild<QFileSystemModel *>() : nullptr;
    auto *view = dialog ? dialog->findChild<QAbstractItemView *>(QStringLiteral("listView")) : nullptr;
    if (!model || !view || model->rowCount(model->index(folder)) < names.size()) {
        QTimer::singleShot(20, [=] { selectAndAccept(folder, names, done); });
        return;
    }
    auto *proxy = qobject_cast<QSortFilterProxyModel *>(view->model());
    for (const QString &name : names) {
        QModelIndex index = model->index(folder + QLatin1Char('/') + name);
        if (proxy)
            index = proxy->mapFromSource(index);
        view->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    *done = true;
    QMetaObject::invokeMethod(dialog, "accept");
}

} // namespace

TEST(Panels, OpenPanelReturnsSelectedFilesAndFoldersTogether)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    QFile file(dir.filePath(QStringLiteral("file.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    Panels::OpenOptions options;
    options.canChooseDirectories = true;
    options.allowsMultipleSelection = true;
    options.prompt = QStringLiteral("Add");
    options.directory = dir.path();
    bool done = false;
    QTimer::singleShot(0, [&] {
        selectAndAccept(dir.path(), {QStringLiteral("folder"), QStringLiteral("file.txt")}, &done);
    });
    const Panels::OpenResult result = Panels::shared().runOpenPanel(nullptr, options);
    ASSERT_TRUE(done);
    EXPECT_TRUE(result.ok);
    QStringList paths = result.paths;
    paths.sort();
    EXPECT_EQ(paths, (QStringList{dir.filePath(QStringLiteral("file.txt")), dir.filePath(QStringLiteral("folder"))}));
}

TEST(Panels, CancelledOpenPanelChoosesNothing)
{
    QTimer::singleShot(0, [] {
        if (QFileDialog *dialog = openDialog())
            dialog->reject();
    });
    const Panels::OpenResult result = Panels::shared().runOpenPanel(nullptr, Panels::OpenOptions());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.paths.isEmpty());
}

TEST(Panels, TestsCanAnswerInThePanelsPlace)
{
    struct Answering : Panels
    {
        std::optional<QString> runSavePanel(QWidget *, const SaveOptions &options) override
        {
            return QStringLiteral("/tmp/") + options.nameFieldValue;
        }
    } answering;
    Panels::setSharedOverride(&answering);
    Panels::SaveOptions options;
    options.nameFieldValue = QStringLiteral("report");
    EXPECT_EQ(Panels::shared().runSavePanel(nullptr, options).value_or(QString()), QStringLiteral("/tmp/report"));
    Panels::setSharedOverride(nullptr);
    EXPECT_NE(&Panels::shared(), &answering);
}
