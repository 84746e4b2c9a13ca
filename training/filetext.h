#pragma once

// The file mode: a practice text from a file, or the news agency's sentences, shown in the box
// FileEdit on the panel PanelFile, played from its start, stopped, continued from where it
// stopped or from a clicked position, hidden while it plays, repeated after a pause and
// converted from UTF-8 (U>A). The text lives in FileTextLines; the engine reads it through
// PlayQueue and keeps its position in FileTextIndex (EngineState). The demo view and the
// instructor mode read FileTextLines and the box's position through FileText().

#include "training/filetextcore.h"

#include <QPlainTextEdit>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;
class TForm1;

// The text box: Esc and Space, and the mouse's reading position, go through the mode first.
class FileTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit FileTextEdit(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// What a news download brought: the page, or why there is none.
struct NewsFetchResult {
    bool ok = false;
    std::string body;
    std::string error;
};
// Fetches an address on a worker thread, within time-outs, failing on an HTTP error status;
// ends soon as failed once `abort` is set. It is the program's downloader unless a test puts
// another in its place; without one every news download fails.
using NewsFetcher = std::function<NewsFetchResult(const std::string &url, const std::atomic<bool> &abort)>;
NewsFetcher &NewsPageFetcher();
// The program's downloader (shell/download.h) as a news fetcher.
NewsFetcher DownloaderNewsFetcher();
// The agency's site, without a trailing "/": KESTRELON_NEWS_URL in the environment, else the
// agency's own address. Tests point it at a server of their own.
std::string &NewsSiteBase();

struct FileTextModule {
    // ---- The text --------------------------------------------------------------------------
    std::vector<std::string> FileTextLines; // Windows-1252, one entry per line
    // A text is loaded (an empty file's text too); while not, the box shows the placeholder
    // "MemoFile", which is only something to see: a text whose first line reads so is a text
    // like any other.
    bool TextLoaded = false;
    // Where the box cuts the text's long lines into rows (the box is read-only while it does).
    filetext::ShownRows Rows;
    std::string FileSelection; // the whole text as handed to the engine (CR LF line ends)
    bool NewsLoaded = false;
    bool FileDialogOpen = false;
    QString TextFolder;     // DIRLASTFILE=
    QString ChosenFileName; // the file last chosen in the text dialog
    // Settings read from the file, applied once every window exists.
    bool IniSpaceFile = false;
    bool IniPosFile = false;
    bool IniNews = false;

    // ---- Controls ----------------------------------------------------------------------------
    QFrame *PanelFile = nullptr;
    QLabel *PanelPathFile = nullptr;
    FileTextEdit *FileEdit = nullptr;
    QPushButton *ButtonPlayFile = nullptr;
    QPushButton *ButtonContinueFile = nullptr;
    QPushButton *ButtonHideFile = nullptr;
    QToolButton *SpeedButtonUFT8 = nullptr;
    QLabel *LabelwordsFile = nullptr; // the spacing summary (shell/summaries.h)
    QAction *MenuPosFile = nullptr;
    QAction *menuspacefile = nullptr;
    QAction *MenuOptionsFileNews = nullptr;
};

// The warning shown before a text file is chosen (only ANSI files), in seven languages.
struct Tr;
const Tr &WarningFileRow();
// What a screen reader calls the box that shows the file's text (and the demo view's copy).
const Tr &FileTextName();

// The mode's state and controls (made anew with the main window).
FileTextModule &FileText();

// The module's build (the program's module list): the panel, the option items, the settings
// keys and the engine's hand-back hooks.
void BuildFileTextModule(TForm1 &form);

// ---- Handlers -------------------------------------------------------------------------------
void RadioButtonFileClick();
void ButtonPlayFileClick();
void ButtonContinueFileClick();
// Enter stops a playing text or continues a stopped one (the main window's key table).
void AddFileTextKeyRoutes();
// Mouse release on Continue: a right button restarts the text from its beginning.
void ButtonContinueFileMouseUp(Qt::MouseButton button);
void ButtonHideFileClick();
// The file text's buttons as the end of a text or a switch to another mode leaves them:
// Continue while a stopped text waits, else Play (enabled with a text loaded), from the start.
void ResetFileButtons();
void MenuPosFileClick();
void SpeedButtonUFT8Click();
// Esc and Space in the text box; true when the key was acted on (and is consumed).
bool FileEditKeyPress(int key);
void FileEditMouseDown();
void FileEditMouseUp();
void FileEditSelectionChange();

// The news sentences for a news file name, also saved as AFP_News.txt in the data folder (the
// download waits in a nested event loop, the file controls disabled). Nothing when the
// download or the page failed: the message has been shown.
std::optional<std::vector<std::string>> LoadNewsText(const std::string &fileName);

// The text box shows FileTextLines (the placeholder when there are none).
void ShowFileTextLines();
// Lines as the box shows them: one line break ("\n") between lines, and one at each cut of
// `rows`, the lines' own ShownRows.
QString FileTextForDisplay(const std::vector<std::string> &lines, const filetext::ShownRows &rows);
// The caret of the next character to send (one position per line break of the text; the
// boxes show it at Rows.BoxPositionOf): where the demo view puts its caret.
int FileTextCaret();
