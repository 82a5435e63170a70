#include "Panels.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <pwd.h>
#include <unistd.h>

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
    EXPECT_EQ(paths, (QStringList{dir.filePath(QStringLiteral("file.txt")),
                                  dir.filePath(QStringLiteral("folder"))}));
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
    EXPECT_EQ(Panels::shared().runSavePanel(nullptr, options).value_or(QString()),
              QStringLiteral("/tmp/report"));
    Panels::setSharedOverride(nullptr);
    EXPECT_NE(&Panels::shared(), &answering);
}

// The confirm button says what it does whatever is selected; Return on a folder (in the list, or
// typed into the name field) goes into it instead of adding it.
TEST(Panels, OpenPanelKeepsItsLabelAndReturnEntersFolders)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("folder"));
    QDir().mkpath(folder);
    for (const QString &path :
         {dir.filePath(QStringLiteral("file.txt")), folder + QStringLiteral("/inner.txt")}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    Panels::OpenOptions options;
    options.canChooseDirectories = true;
    options.allowsMultipleSelection = true;
    options.prompt = QStringLiteral("Add");
    options.directory = dir.path();

    QStringList labels;
    QStringList visited;
    bool stillOpen = false;
    QTimer::singleShot(0, [&] {
        QFileDialog *dialog = openDialog();
        ASSERT_NE(dialog, nullptr);
        auto *model = dialog->findChild<QFileSystemModel *>();
        auto *view = dialog->findChild<QAbstractItemView *>(QStringLiteral("listView"));
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        auto *box = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QPushButton *button = box ? box->button(QDialogButtonBox::Open) : nullptr;
        ASSERT_TRUE(model && view && name && button);
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        const auto select = [&](const QString &path) {
            testsupport::waitUntil(
                [&] { return model->index(path).isValid() && !model->index(path).data().isNull(); });
            QModelIndex index = model->index(path);
            if (auto *proxy = qobject_cast<QSortFilterProxyModel *>(view->model()))
                index = proxy->mapFromSource(index);
            view->setFocus();
            view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
        };
        const auto where = [&] { return QDir::cleanPath(dialog->directory().absolutePath()); };
        labels.append(button->text());
        select(folder);
        labels.append(button->text());
        QTest::keyClick(view, Qt::Key_Return);
        visited.append(where());
        // Typed as a person types: the completion list opens and takes the Return.
        name->setFocus();
        QTest::keyClicks(name, dir.path());
        QWidget *completions = name->completer() ? name->completer()->popup() : nullptr;
        QTest::keyClick(completions && completions->isVisible() ? completions : static_cast<QWidget *>(name),
                        Qt::Key_Return);
        visited.append(where());
        labels.append(button->text());
        stillOpen = dialog->isVisible();
        select(dir.filePath(QStringLiteral("file.txt")));
        button->click();
    });
    const Panels::OpenResult result = Panels::shared().runOpenPanel(nullptr, options);
    EXPECT_EQ(labels, (QStringList{QStringLiteral("Add"), QStringLiteral("Add"), QStringLiteral("Add")}));
    EXPECT_EQ(visited, (QStringList{folder, QDir::cleanPath(dir.path())}));
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.paths, QStringList{dir.filePath(QStringLiteral("file.txt"))});
}

// Acting for someone, the panels open on that person's home and places, and what the dialog would
// remember stays out of the settings of the account we run as.
TEST(Panels, SavePanelStartsAtThePersonsHomeAndRemembersNothingOfOurs)
{
    const QString ourSettings = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                QStringLiteral("/QtProject.conf");
    const auto snapshot = [&] {
        QFile file(ourSettings);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    };
    const passwd *daemon = ::getpwuid(1);
    const bool acting = ::geteuid() == 0 && daemon && QFileInfo(QFile::decodeName(daemon->pw_dir)).isDir();
    if (acting)
        qputenv("PKEXEC_UID", "1");
    const QString home = acting ? QFile::decodeName(daemon->pw_dir) : QDir::homePath();
    EXPECT_EQ(Panels::personsHome(), home);
    const QByteArray before = snapshot();

    QString startedIn;
    QList<QUrl> places;
    QTimer::singleShot(0, [&] {
        if (QFileDialog *dialog = openDialog()) {
            startedIn = QDir::cleanPath(dialog->directory().absolutePath());
            places = dialog->sidebarUrls();
            dialog->reject();
        }
    });
    Panels::SaveOptions options;
    options.nameFieldValue = QStringLiteral("ErasureHistory(2026-12-08 09-15-40)");
    EXPECT_FALSE(Panels::shared().runSavePanel(nullptr, options).has_value());
    qunsetenv("PKEXEC_UID");
    EXPECT_EQ(startedIn, QDir::cleanPath(home));
    EXPECT_TRUE(places.contains(QUrl::fromLocalFile(home)));
    EXPECT_FALSE(places.contains(QUrl::fromLocalFile(QStringLiteral("/root"))) &&
                 home != QLatin1String("/root"));
    if (acting) {
        EXPECT_EQ(snapshot(), before) << "the dialog wrote into our own Qt settings";
    }
}
