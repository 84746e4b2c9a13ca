#include "shell/opendialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

bool isFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

std::optional<QString> runDialog(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

std::optional<QString> ChooseFileToOpen(QWidget *parent, QString &lastFolder,
                                        const OpenFileRequest &request, const QString &firstFolder)
{
    const QString start = isFolder(lastFolder)    ? lastFolder
                          : isFolder(firstFolder) ? firstFolder
                                                  : QDir::homePath();
    QFileDialog dialog(parent, QString(), start);
    dialog.setObjectName(QString::fromLatin1(request.name));
    // The same dialog everywhere, one that tests can find and answer.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.anyName ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    // Files from other systems are often named in capitals: a filter's names match any case.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.preselect.isEmpty())
        dialog.selectFile(request.preselect);
    const std::optional<QString> chosen = OpenFileDialogRunner()(dialog);
    if (chosen)
        lastFolder = QFileInfo(*chosen).absolutePath();
    return chosen;
}

std::function<std::optional<QString>(QFileDialog &)> &OpenFileDialogRunner()
{
    static std::function<std::optional<QString>(QFileDialog &)> runner = runDialog;
    return runner;
}
