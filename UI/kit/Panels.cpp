#include "Panels.h"

#include "platform/InvokingUser.h"
#include "platform/UserFile.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

namespace {

constexpr qint64 kMaxUserDirsSize = 64 * 1024;

Panels *&overrideInstance()
{
    static Panels *instance = nullptr;
    return instance;
}

// The person's own folders as their desktop names them (~/.config/user-dirs.dirs), those that exist.
QList<QUrl> personsFolders(const QString &home)
{
    QList<QUrl> folders;
    const std::optional<QByteArray> list =
        UserFile::read(home + QStringLiteral("/.config/user-dirs.dirs"), kMaxUserDirsSize);
    if (!list)
        return folders;
    static const QRegularExpression line(QRegularExpression::anchoredPattern(
        QStringLiteral("XDG_(DESKTOP|DOCUMENTS|DOWNLOAD|MUSIC|PICTURES|VIDEOS)_DIR=\"([^\"]*)\"")));
    for (const QByteArray &entry : list->split('\n')) {
        const QRegularExpressionMatch match = line.match(QString::fromUtf8(entry.trimmed()));
        if (!match.hasMatch())
            continue;
        QString path = match.captured(2);
        if (path.startsWith(QStringLiteral("$HOME")))
            path = home + path.mid(5);
        path = QDir::cleanPath(path);
        if (QDir::isAbsolutePath(path) && path != QDir::cleanPath(home) && QFileInfo(path).isDir())
            folders.append(QUrl::fromLocalFile(path));
    }
    return folders;
}

// The dialog's state (visited folders, places) goes to Qt's own settings file of the account the
// process runs as. Acting for someone, that is root's, shared by everyone who runs the program,
// so the state is kept in a folder of this process instead and goes when it ends.
void keepDialogStateToThisProcess()
{
    static bool done = false;
    if (done || !InvokingUser::find())
        return;
    done = true;
    static QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
}

void preparePanel(QFileDialog &dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    const QString home = Panels::personsHome();
    QList<QUrl> places{QUrl(QStringLiteral("file:")), QUrl::fromLocalFile(home)};
    places += personsFolders(home);
    dialog.setSidebarUrls(places);
}

// The stock dialog picks either files or folders; the panel may allow both. Its confirm button
// keeps the caller's text (the stock one turns into "Open" on a folder) and adds what is selected,
// folders included; a folder is entered from the list by double-click or Return, and a folder
// typed into the name field is gone to with Return.
class FilesAndFoldersDialog : public QFileDialog
{
public:
    explicit FilesAndFoldersDialog(QWidget *parent) : QFileDialog(parent) {}
    QStringList chosen;

    // Call once the dialog's mode is set; an empty label keeps the stock one.
    void watchKeysAndLabel(const QString &label)
    {
        m_label = label;
        const auto restore = [this] { restoreLabel(); };
        // Connected after the dialog's own handlers, so these run once it has renamed the button.
        for (QAbstractItemView *view : fileViews()) {
            view->installEventFilter(this);
            if (view->selectionModel()) {
                connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, restore);
                connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, restore);
            }
        }
        if (QLineEdit *name = nameField()) {
            name->installEventFilter(this);
            connect(name, &QLineEdit::textChanged, this, restore);
        }
        if (QPushButton *button = acceptButton())
            button->installEventFilter(this);
        connect(this, &QFileDialog::directoryEntered, this, restore);
        restoreLabel();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == acceptButton() && (event->type() == QEvent::Paint || event->type() == QEvent::Show))
            restoreLabel();
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && enterFolder(watched))
                return true;
        }
        return QFileDialog::eventFilter(watched, event);
    }

    void accept() override
    {
        // Return reaches here too, for instance through the name field's completion list; with the
        // keyboard still on a folder it means "go in". The button takes the focus when pressed.
        if (enterFolder(QApplication::focusWidget()))
            return;
        chosen.clear();
        auto *view = findChild<QAbstractItemView *>(QStringLiteral("listView"));
        auto *tree = findChild<QAbstractItemView *>(QStringLiteral("treeView"));
        QAbstractItemView *active = (tree && tree->isVisible()) ? tree : view;
        auto *model = findChild<QFileSystemModel *>();
        if (active && model && active->selectionModel()) {
            const QModelIndexList rows = active->selectionModel()->selectedRows();
            for (QModelIndex index : rows) {
                if (auto *proxy = qobject_cast<QSortFilterProxyModel *>(active->model()))
                    index = proxy->mapToSource(index);
                chosen.append(model->filePath(index));
            }
        }
        if (chosen.isEmpty()) {
            // A typed name, or nothing selected: fall back to what the dialog itself resolves.
            chosen = selectedFiles();
            for (const QString &path : std::as_const(chosen)) {
                if (!QFileInfo::exists(path))
                    return;
            }
        }
        QDialog::accept();
    }

private:
    QPushButton *acceptButton() const
    {
        auto *box = findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        return box ? box->button(QDialogButtonBox::Open) : nullptr;
    }

    QLineEdit *nameField() const { return findChild<QLineEdit *>(QStringLiteral("fileNameEdit")); }

    // The list and the detail view of the folder's content (not the places or the folder menu).
    QList<QAbstractItemView *> fileViews() const
    {
        QList<QAbstractItemView *> views;
        for (const QString &name : {QStringLiteral("listView"), QStringLiteral("treeView")}) {
            if (auto *view = findChild<QAbstractItemView *>(name))
                views.append(view);
        }
        return views;
    }

    void restoreLabel()
    {
        QPushButton *button = acceptButton();
        if (button && !m_label.isEmpty() && button->text() != m_label)
            button->setText(m_label);
    }

    // Return on a folder: go into it instead of confirming. True when that happened.
    bool enterFolder(QObject *watched)
    {
        QString path;
        if (watched == nameField()) {
            const QString typed = nameField()->text().trimmed();
            if (typed.isEmpty())
                return false;
            path = typed.startsWith(QStringLiteral("~/")) || typed == QLatin1String("~")
                       ? Panels::personsHome() + typed.mid(1)
                       : QDir(directory()).absoluteFilePath(typed);
        } else if (auto *view = qobject_cast<QAbstractItemView *>(watched);
                   view && fileViews().contains(view)) {
            auto *model = findChild<QFileSystemModel *>();
            QModelIndex index = view->currentIndex();
            if (auto *proxy = qobject_cast<QSortFilterProxyModel *>(view->model()))
                index = proxy->mapToSource(index);
            if (!model || !index.isValid())
                return false;
            path = model->filePath(index);
        } else {
            return false;
        }
        if (!QFileInfo(path).isDir())
            return false;
        setDirectory(path);
        if (QLineEdit *name = nameField()) {
            name->clear();
            // Emptying the field offers every name of the new folder; nothing was asked for yet.
            if (QCompleter *completer = name->completer())
                QTimer::singleShot(0, completer, [completer] { completer->popup()->hide(); });
        }
        return true;
    }

    QString m_label;
};

} // namespace

Panels &Panels::shared()
{
    if (Panels *test = overrideInstance())
        return *test;
    static Panels panels;
    return panels;
}

void Panels::setSharedOverride(Panels *panels)
{
    overrideInstance() = panels;
}

QString Panels::personsHome()
{
    if (const std::optional<InvokingUser> person = InvokingUser::find())
        return person->home();
    return QDir::homePath();
}

Panels::OpenResult Panels::runOpenPanel(QWidget *parent, const OpenOptions &options)
{
    keepDialogStateToThisProcess();
    FilesAndFoldersDialog dialog(parent);
    preparePanel(dialog);
    dialog.setOption(QFileDialog::ReadOnly, true);
    if (!options.canChooseFiles && options.canChooseDirectories) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.setFileMode(options.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                           : QFileDialog::ExistingFile);
    }
    QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs;
    if (options.showsHiddenFiles)
        filters |= QDir::Hidden;
    dialog.setFilter(filters);
    if (!options.prompt.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, options.prompt);
    dialog.watchKeysAndLabel(options.prompt);
    if (!options.directory.isEmpty())
        dialog.setDirectory(options.directory);
    if (options.allowsMultipleSelection) {
        for (auto *view : dialog.findChildren<QAbstractItemView *>())
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    dialog.setWindowModality(Qt::WindowModal);
    if (options.frame.isValid() && !options.frame.isEmpty())
        dialog.setGeometry(options.frame);

    OpenResult result;
    result.ok = dialog.exec() == QDialog::Accepted;
    if (result.ok) {
        result.paths = dialog.chosen;
        if (!options.canChooseDirectories) {
            result.paths.removeIf([](const QString &path) { return QFileInfo(path).isDir(); });
            result.ok = !result.paths.isEmpty();
        }
    }
    result.frame = dialog.geometry();
    return result;
}

std::optional<QString> Panels::runSavePanel(QWidget *parent, const SaveOptions &options)
{
    keepDialogStateToThisProcess();
    QFileDialog dialog(parent);
    preparePanel(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ShowDirsOnly, false);
    if (!options.canCreateDirectories)
        dialog.setOption(QFileDialog::ReadOnly, true);
    dialog.setDirectory(options.directory.isEmpty() ? personsHome() : options.directory);
    dialog.selectFile(options.nameFieldValue);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void Panels::runAlert(QWidget *parent, const QString &message, const QString &informativeText,
                      AlertStyle style)
{
    QMessageBox box(parent);
    box.setText(message);
    box.setInformativeText(informativeText);
    switch (style) {
    case AlertStyle::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case AlertStyle::Informational:
        box.setIcon(QMessageBox::Information);
        break;
    case AlertStyle::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}
