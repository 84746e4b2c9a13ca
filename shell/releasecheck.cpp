#include "shell/releasecheck.h"

#include "shell/aboutbox.h"
#include "shell/download.h"
#include "shell/help.h"
#include "shell/languages/languages.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingskeys.h"
#include "shell/systembeep.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <array>

bool VerStart = false;
bool ReleaseCheckSilent = false;
std::string FetchedVersion;

namespace {

ReleaseCheckItems items;

// The new release's item: this word, then the version the report found (kept through
// language switches).
constexpr Tr kVersionWord("Version ", "Verzió ", "Version ", "Version ", "Versione ", "Versão ", "Versión ");
QString foundVersion;

void writeVersionItem()
{
    if (items.MenuNumVersion)
        items.MenuNumVersion->setText(Pick(kVersionWord) + foundVersion);
}

// The start-up check in flight: its worker (ReleaseThreadHandle) and whether it still owes
// the cursor back.
QPointer<VersionFetch> checkWorker;
bool checkBusy = false;
int busyCount = 0;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string trimmed(const std::string &text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::array<long long, 3> versionParts(const std::string &version)
{
    constexpr long long Largest = 999999;
    std::array<long long, 3> parts{0, 0, 0};
    const std::string text = trimmed(version);
    std::size_t at = 0;
    for (long long &part : parts) {
        if (at > text.size())
            break;
        const std::size_t dot = std::min(text.find('.', at), text.size());
        if (dot > at) {
            if (text[at] < '0' || text[at] > '9')
                break;
            for (std::size_t i = at; i < dot && text[i] >= '0' && text[i] <= '9'; ++i)
                part = std::min(Largest, part * 10 + (text[i] - '0'));
        }
        at = dot + 1;
    }
    return parts;
}

} // namespace

long long VersionToNumber(const std::string &Version)
{
    const auto parts = versionParts(Version);
    return (parts[0] * 1000000 + parts[1]) * 1000000 + parts[2];
}

bool IsNewerRelease(const std::string &published)
{
    return VersionToNumber(published) > VersionToNumber(ProgramVersion);
}

std::string VersionValueFromFile(const std::string &content, const std::string &name)
{
    if (content.substr(0, 3).find('<') != std::string::npos)
        return {};
    std::string_view text(content);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    const std::string wanted = name + "=";
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
        const std::string_view line = text.substr(0, end);
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos && equals >= 1 && line.substr(0, equals + 1) == wanted)
            return trimmed(std::string(line.substr(equals + 1)));
        text.remove_prefix(end);
        if (text.substr(0, 2) == "\r\n")
            text.remove_prefix(2);
        else if (!text.empty())
            text.remove_prefix(1);
    }
    return {};
}

std::string FetchVersionValue(const std::string &Name, const std::atomic<bool> *abort)
{
    const DownloadResult download = DownloadToMemory(VersionFilePath, abort);
    return download.ok ? VersionValueFromFile(download.body, Name) : std::string();
}

// ---- VersionFetch -------------------------------------------------------------------------

VersionFetch::VersionFetch(QObject *owner, Done done)
    : QObject(owner)
    , done_(std::move(done))
{
}

VersionFetch *VersionFetch::start(QObject *owner, Done done, const std::string &name)
{
    auto *fetch = new VersionFetch(owner, std::move(done));
    fetch->thread_ = std::thread([fetch, name] {
        const std::string value = FetchVersionValue(name, &fetch->abort_);
        // The object lives until this thread is joined, so the call cannot outlive it.
        QMetaObject::invokeMethod(fetch, [fetch, value] { fetch->finished(value); }, Qt::QueuedConnection);
    });
    return fetch;
}

VersionFetch::~VersionFetch()
{
    abort_ = true;
    if (thread_.joinable())
        thread_.join();
}

void VersionFetch::abandon()
{
    abandoned_ = true;
    abort_ = true;
}

void VersionFetch::finished(const std::string &value)
{
    if (thread_.joinable())
        thread_.join();
    // The handler may run a nested event loop (a message); the object stays until it returns
    // and no longer belongs to an owner that could delete it meanwhile.
    Done done = std::move(done_);
    const bool deliver = !abandoned_;
    setParent(nullptr);
    deleteLater();
    if (deliver && done)
        done(value);
}

// ---- The start-up check -----------------------------------------------------------------------

bool ReleaseCheckRunning()
{
    return !checkWorker.isNull();
}

void BeginReleaseBusyCursor()
{
    if (busyCount++ == 0 && Form1)
        Form1->setCursor(Qt::WaitCursor);
}

void EndReleaseBusyCursor()
{
    if (busyCount > 0 && --busyCount == 0 && Form1)
        Form1->unsetCursor();
}

ReleaseCheckItems BuildReleaseCheckItems(TForm1 &form, QMenu *menu)
{
    items.MenuInfoVersion = menu->addAction(QStringLiteral("Look for a new release when opening KESTRELON."));
    items.MenuInfoVersion->setObjectName(QStringLiteral("MenuInfoVersion"));
    items.MenuInfoVersion->setCheckable(true);
    QObject::connect(items.MenuInfoVersion, &QAction::triggered, items.MenuInfoVersion,
                     [] { MenuInfoVersionClick(); });

    // Hidden: an invisible item has no shortcut and no place in the menu; code clicks it.
    items.MenuGetVersion = menu->addAction(QString());
    items.MenuGetVersion->setObjectName(QStringLiteral("MenuGetVersion"));
    items.MenuGetVersion->setVisible(false);
    QObject::connect(items.MenuGetVersion, &QAction::triggered, items.MenuGetVersion, [] { MenuGetVersionClick(); });

    // Last in the menu bar, hidden until a report shows it.
    items.MenunewVersion = form.menuBar()->addMenu(QStringLiteral("Nouvelle version disponible !"));
    items.MenunewVersion->setObjectName(QStringLiteral("MenunewVersion"));
    items.MenunewVersion->menuAction()->setVisible(false);
    items.MenuNumVersion = items.MenunewVersion->addAction(QString());
    items.MenuNumVersion->setObjectName(QStringLiteral("MenuNumVersion"));
    foundVersion.clear();
    writeVersionItem();
    OnLanguageSwitch(items.MenuNumVersion, writeVersionItem);
    QObject::connect(items.MenuNumVersion, &QAction::triggered, items.MenuNumVersion, [] { MenuNumVersionClick(); });

    // Nothing may point into a main window that is gone.
    QObject::connect(&form, &QObject::destroyed, [] {
        items = {};
        foundVersion.clear();
        checkBusy = false;
        busyCount = 0;
    });

    form.TimerThread->setInterval(ReleaseCheckTimeoutMs);
    QObject::connect(form.TimerThread, &QTimer::timeout, form.TimerThread, [] { TimerThreadTimer(); });

    AddModuleStep(ModuleStep::FirstIdle, "release check", ApplicationEvents1Idle);

    Settings().bind(
        "VERSTART=",
        [](const std::string &value) {
            VerStart = value == "1";
            if (items.MenuInfoVersion)
                items.MenuInfoVersion->setChecked(VerStart);
        },
        [](std::vector<std::string> &values) { values.push_back(VerStart ? "1" : "0"); });
    return items;
}

const ReleaseCheckItems &ReleaseItems()
{
    return items;
}

void ApplicationEvents1Idle()
{
    // Runs once, from the first idle moment of start-up.
    if (!VerStart || !Form1)
        return;
    ReleaseCheckSilent = true;
    Form1->TimerThread->start(ReleaseCheckTimeoutMs);
    if (items.MenuGetVersion)
        items.MenuGetVersion->trigger();
}

void MenuGetVersionClick()
{
    if (ReleaseCheckRunning())
        return;
    FetchedVersion.clear();
    BeginReleaseBusyCursor();
    checkBusy = true;
    QObject *owner = Form1 ? static_cast<QObject *>(Form1) : QCoreApplication::instance();
    checkWorker = VersionFetch::start(owner, [](const std::string &value) {
        checkWorker = nullptr;
        FetchedVersion = value;
        TimerThreadTimer();
    });
}

void TimerThreadTimer()
{
    // The first of result and time-out reports; the other then finds nothing to report on.
    if (VersionFetch *worker = checkWorker.data()) {
        checkWorker = nullptr;
        worker->abandon();
    }
    if (checkBusy) {
        checkBusy = false;
        EndReleaseBusyCursor();
    }
    if (Form1)
        Form1->TimerThread->stop();
    const bool newer = IsNewerRelease(FetchedVersion);
    if (ReleaseCheckSilent) {
        if (newer) {
            ProgramBeep();
            ShowNewRelease(FetchedVersion);
        } else {
            HideNewRelease();
        }
        ReleaseCheckSilent = false;
    }
}

void MenuInfoVersionClick()
{
    VerStart = items.MenuInfoVersion && items.MenuInfoVersion->isChecked();
    if (FormInfo)
        FormInfo->CheckBoxVersion->setChecked(VerStart);
}

void MenuNumVersionClick()
{
    const char *page = LanguageChecked(Language::Francais) ? "logiciel.htm" : "software.htm";
    ShellOpen(QString::fromLatin1(MakerWebAddress) + QString::fromLatin1(page));
}

void ShowNewRelease(const std::string &version)
{
    if (!items.MenunewVersion)
        return;
    foundVersion = QString::fromUtf8(trimmed(version));
    writeVersionItem();
    items.MenunewVersion->menuAction()->setVisible(true);
}

void HideNewRelease()
{
    if (items.MenunewVersion)
        items.MenunewVersion->menuAction()->setVisible(false);
}
