#include "Panels.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QSortFilterProxyModel>

namespace {

Panels *&overrideInstance()
{
    static Panels *instance = nullptr;
    return instance;
}

// The stock dialog picks either files or folders; the panel may allow both. Accepting takes what
// is selected in the view, folders included, instead of stepping into a selected folder.
class FilesAndFoldersDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;
    QStringList chosen;

protected:
    void accept() override
    {
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

Panels::OpenResult Panels::runOpenPanel(QWidget *parent, const OpenOptions &options)
{
    FilesAndFoldersDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ReadOnly, true);
    if (!options.canChooseFiles && options.canChooseDirectories) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.setFileMode(options.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs;
    if (options.showsHiddenFiles)
        filters |= QDir::Hidden;
    dialog.setFilter(filters);
    if (!options.prompt.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, options.prompt);
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
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ShowDirsOnly, false);
    if (!options.canCreateDirectories)
        dialog.setOption(QFileDialog::ReadOnly, true);
    if (!options.directory.isEmpty())
        dialog.setDirectory(options.directory);
    dialog.selectFile(options.nameFieldValue);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void Panels::runAlert(QWidget *parent, const QString &message, const QString &informativeText, AlertStyle style)
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
