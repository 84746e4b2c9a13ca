#pragma once

// The release check: the maker's web server keeps a small version file, one "name=version"
// line per program. At start (when the user asked for it) a worker thread fetches it quietly;
// a newer release than ours shows the menu entry MenunewVersion with the new number. The
// about box runs the same fetch on demand (aboutbox.h).
//
// Threads: one worker thread per fetch does the download and reads the file; its result is
// handed to the user-interface thread, where everything else happens. The worker is joined
// when its owner goes; a check that is given up (time-out) lets its worker run out on its own.

#include <QObject>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class QAction;
class QMenu;
class TForm1;

inline constexpr char ProgramVersion[] = "5.2.9";
inline constexpr char ReleaseKey[] = "kestrelon";
// The version file's path on the maker's server (download.h has the server's address).
inline constexpr char VersionFilePath[] = "/index_fichiers/versions.txt";
// The start-up check reports by then even when the worker has not answered.
inline constexpr int ReleaseCheckTimeoutMs = 120000;

// ---- Versions (pure) ------------------------------------------------------------------------

// Up to three parts separated by ".", each read as a whole number from its leading digits
// (so 5.10.0 is newer than 5.2.9, and 10.0.0 newer than both). A missing or empty part counts
// 0; a part that does not start with a digit ends the reading; blanks around the text are
// ignored. Each part is taken up to 999999. An empty or unreadable text gives 0.
long long VersionToNumber(const std::string &Version);
// `published` is newer than this program's version.
bool IsNewerRelease(const std::string &published);

// The value of the entry `name` in the text of a version file: the rest of the first line
// whose text up to its first "=" (at the second character or later) is exactly `name`,
// without surrounding blanks. Empty when there is no such line, or when one of the first three
// bytes is "<" (an HTML page, not the version file). Lines end in CR LF, LF or CR.
std::string VersionValueFromFile(const std::string &content, const std::string &name);

// Downloads the version file and returns the value of `Name`, or an empty text on any
// failure. Blocks for the whole download: call it from a worker, never from the user
// interface (VersionFetch does). Nothing is written to disk.
std::string FetchVersionValue(const std::string &Name, const std::atomic<bool> *abort = nullptr);

// ---- The worker ---------------------------------------------------------------------------

// One fetch of a version value on a thread of its own. `done` runs on the user-interface
// thread with the value (empty on failure), unless the fetch was abandoned first; then the
// object deletes itself. Destroying the owner aborts and joins a fetch still running.
class VersionFetch : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const std::string &value)>;
    static VersionFetch *start(QObject *owner, Done done, const std::string &name = ReleaseKey);
    ~VersionFetch() override;

    // The result will not be delivered; the download is told to stop.
    void abandon();

private:
    VersionFetch(QObject *owner, Done done);
    void finished(const std::string &value);

    Done done_;
    bool abandoned_ = false;
    std::atomic<bool> abort_{false};
    std::thread thread_;
};

// ---- The start-up check and its menu items ---------------------------------------------------

// The user's option: look for a new release at every start (VERSTART=, the check marks of
// MenuInfoVersion and of the about box's CheckBoxVersion).
extern bool VerStart;
// Set for the start-up check: its report only changes the menu.
extern bool ReleaseCheckSilent;
// The version found by the last check; empty when it failed or found nothing.
extern std::string FetchedVersion;
// A start-up check's worker is running (its report has not come yet).
bool ReleaseCheckRunning();

struct ReleaseCheckItems {
    QAction *MenuInfoVersion = nullptr; // the option (check item of the Help menu)
    QAction *MenuGetVersion = nullptr;  // hidden; clicking it starts a check
    QMenu *MenunewVersion = nullptr;    // hidden top-level entry until a newer release is seen
    QAction *MenuNumVersion = nullptr;  // "Version " + the new version
};

// Adds the items to the main window (MenuInfoVersion into `menu`), binds VERSTART= and the
// report to TimerThread.
ReleaseCheckItems BuildReleaseCheckItems(TForm1 &form, QMenu *menu);
const ReleaseCheckItems &ReleaseItems();

// The first idle moment after start: a silent check when the option is set.
void ApplicationEvents1Idle();
// Starts a worker unless one runs.
void MenuGetVersionClick();
// The report: the worker's result, or TimerThread's time-out, whichever comes first.
void TimerThreadTimer();
// The option's item was clicked (it toggled itself).
void MenuInfoVersionClick();
// Opens the maker's download page.
void MenuNumVersionClick();

// MenunewVersion shown with "Version <version>", or hidden.
void ShowNewRelease(const std::string &version);
void HideNewRelease();

// The main window's hourglass while any fetch runs; every Begin has exactly one End.
void BeginReleaseBusyCursor();
void EndReleaseBusyCursor();
