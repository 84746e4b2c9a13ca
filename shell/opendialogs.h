#pragma once

// The open dialogs of files the user brings (practice texts, word lists, lesson imports, the
// beacon's text). Each kind starts in the folder of the last file chosen of that kind, else
// in the home folder: never in the data folder, which is hidden and holds only the files the
// program writes itself.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

class QFileDialog;
class QWidget;

struct OpenFileRequest {
    OpenFileRequest(const char *name, QStringList filters) : name(name), filters(std::move(filters))
    {
    }

    const char *name; // the dialog's object name
    QStringList filters;
    QString defaultSuffix; // empty: none
    QString preselect;     // a file shown as chosen; empty: none
    bool anyName = false;  // a name with no file behind it may be typed
};

// Shows the dialog in `lastFolder`, or in `firstFolder` while no file of the kind has been
// chosen, or in the home folder when neither is a folder. On OK `lastFolder` becomes the
// chosen file's folder, also when the file then proves unreadable: the user goes back there
// for another. Returns the chosen file, or nothing on Cancel.
std::optional<QString> ChooseFileToOpen(QWidget *parent, QString &lastFolder,
                                        const OpenFileRequest &request,
                                        const QString &firstFolder = {});

// Runs a prepared dialog: the chosen file, or nothing on Cancel. Tests put their own in place
// to see where a dialog starts and to answer it.
std::function<std::optional<QString>(QFileDialog &dialog)> &OpenFileDialogRunner();
