#include "shell/languages/languages.h"

#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/summaries.h"
#include "shell/utilities.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTranslator>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

namespace {

// The checked item; -1 while none is (start-up unchecks English before clicking it again).
// English is checked at design time.
std::atomic<int> checkedLanguage{static_cast<int>(Language::English)};

QPointer<QMainWindow> mainWindow;

struct LanguageItem
{
    const char *objectName;
    Tr caption; // each language's own name, alike in every language
    Qt::Key shortcutKey;
    char letter;
    const char *helpFile;
};

// In `Language` order.
constexpr LanguageItem kItems[LanguageCount] = {
    {"English1", Alike("&English"), Qt::Key_F11, 'E', "kestrelon_en.chm"},
    {"Magyar1", Alike("&Magyar"), Qt::Key_F6, 'M', "kestrelon_hu.chm"},
    {"Deutsch1", Alike("&Deutsch"), Qt::Key_F10, 'D', "kestrelon_de.chm"},
    {"Francais1", Alike("&Français"), Qt::Key_F12, 'F', "kestrelon_fr.chm"},
    {"Italiano1", Alike("&Italiano"), Qt::Key_F9, 'I', "kestrelon_it.chm"},
    {"Portugues1", Alike("&Português"), Qt::Key_F8, 'P', "kestrelon_pt.chm"},
    {"Espagnol1", Alike("E&spañol"), Qt::Key_F7, 'S', "kestrelon_es.chm"},
};

std::vector<LanguageAware *> &sideWindows()
{
    static std::vector<LanguageAware *> windows;
    return windows;
}

template <typename Refresh>
struct Listener
{
    QPointer<QObject> owner; // the listener ends with it; none: for the whole run
    bool owned;
    Refresh refresh;
};

std::vector<Listener<std::function<void()>>> &switchListeners()
{
    static std::vector<Listener<std::function<void()>>> listeners;
    return listeners;
}

std::vector<Listener<std::function<void(Language)>>> &chosenListeners()
{
    static std::vector<Listener<std::function<void(Language)>>> listeners;
    return listeners;
}

// Runs every listener whose owner still lives, in the order added; those whose owner is gone
// are dropped. A copy, since a listener may add one.
template <typename Refresh, typename... Args>
void runListeners(std::vector<Listener<Refresh>> &listeners, Args... args)
{
    listeners.erase(std::remove_if(listeners.begin(), listeners.end(),
                                   [](const Listener<Refresh> &l) { return l.owned && !l.owner; }),
                    listeners.end());
    const std::vector<Listener<Refresh>> current = listeners;
    for (const Listener<Refresh> &listener : current) {
        if (!listener.owned || listener.owner)
            listener.refresh(args...);
    }
}

QObject *control(const char *name)
{
    return MainWindowControl(name);
}

void syncLanguageItems()
{
    const int checked = checkedLanguage.load();
    for (int i = 0; i < LanguageCount; ++i) {
        if (auto *action = qobject_cast<QAction *>(control(kItems[i].objectName)))
            action->setChecked(i == checked);
    }
}

QString stripAccelerators(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
                result += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        result += text[i];
    }
    return result;
}

void applyTextRows()
{
    for (const TextRow *rowPointer : AllMainWindowTextRows()) {
        const TextRow &row = *rowPointer;
        QObject *target = control(row.object);
        if (target == nullptr)
            continue;
        const QString text = Pick(row.text);
        switch (row.kind) {
        case TextKind::Caption:
            SetCaption(target, text);
            break;
        case TextKind::Hint:
            SetHint(target, text);
            break;
        case TextKind::Item:
            SetItemText(target, row.item, text);
            break;
        }
    }
}

QAction *languageItem(Language language)
{
    return qobject_cast<QAction *>(control(kItems[static_cast<int>(language)].objectName));
}

void applyLanguage(Language language);

// Qt's own dialogs (file and colour choosers, standard buttons) speak the same language, from
// the toolkit's translations; where the system has none they stay English. Portuguese has only
// the Brazilian set.
void installToolkitTexts(Language language)
{
    static constexpr const char *suffixes[LanguageCount] = {nullptr, "hu", "de", "fr", "it", "pt_BR", "es"};
    static QPointer<QTranslator> translator;
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return;
    if (translator)
        QCoreApplication::removeTranslator(translator);
    else
        translator = new QTranslator(application);
    const char *suffix = suffixes[static_cast<int>(language)];
    if (suffix
        && translator->load(QStringLiteral("qtbase_") + QLatin1String(suffix),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

void switchTo(Language language)
{
    checkedLanguage.store(static_cast<int>(language));
    syncLanguageItems();
    applyLanguage(language);
}

void applyLanguage(Language language)
{
    installToolkitTexts(language);
    if (mainWindow) {
        mainWindow->setWindowTitle(TitleLine(language));
        applyTextRows();
        runListeners(chosenListeners(), language);
    }
    RefreshVisibleSideWindows();
    RefreshStateCaptions();
}

// Shows a side window's texts as it is shown (not on the window system's own show events
// after a minimise).
class ShowWatcher : public QObject
{
public:
    ShowWatcher(QWidget *window, LanguageAware *owner) : QObject(window), owner_(owner)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous() && watched == parent())
            owner_->retranslate();
        return false;
    }

private:
    LanguageAware *owner_;
};

} // namespace

Language CurrentLanguage()
{
    const int checked = checkedLanguage.load(std::memory_order_relaxed);
    return checked < 0 ? Language::English : static_cast<Language>(checked);
}

bool LanguageChecked(Language language)
{
    return checkedLanguage.load() == static_cast<int>(language);
}

namespace {
std::atomic<PickWatcher> pickWatcher{nullptr};
} // namespace

void WatchPicks(PickWatcher watcher)
{
    pickWatcher.store(watcher);
}

QString PickIn(const Tr &row, Language language)
{
    if (const PickWatcher watcher = pickWatcher.load(std::memory_order_relaxed))
        watcher(row);
    return QString::fromUtf8(row[language]);
}

QString Pick(const Tr &row)
{
    return PickIn(row, CurrentLanguage());
}

char LanguageLetter(Language language)
{
    return kItems[static_cast<int>(language)].letter;
}

std::optional<Language> LanguageFromLetter(char letter)
{
    const char upper = (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
    for (int i = 0; i < LanguageCount; ++i) {
        if (kItems[i].letter == upper)
            return static_cast<Language>(i);
    }
    return std::nullopt;
}

QString LanguageHelpFileName(Language language)
{
    return QString::fromUtf8(kItems[static_cast<int>(language)].helpFile);
}

QString CurrentHelpFile()
{
    // The program folder is the current folder for the whole run.
    return QDir::current().absoluteFilePath(LanguageHelpFileName(CurrentLanguage()));
}

QString TitleLine(Language language)
{
    return PickIn(TitleRow(), language);
}

void InstallLanguages(QMainWindow *window)
{
    mainWindow = window;
    if (window == nullptr)
        return;
    for (int i = 0; i < LanguageCount; ++i) {
        auto *action = qobject_cast<QAction *>(control(kItems[i].objectName));
        if (action == nullptr)
            continue;
        action->setText(Pick(kItems[i].caption));
        action->setShortcut(QKeySequence(Qt::CTRL | kItems[i].shortcutKey));
        action->setCheckable(true);
        if (!action->property("kestrelonLanguageItem").toBool()) {
            action->setProperty("kestrelonLanguageItem", true);
            const auto language = static_cast<Language>(i);
            // A checkable action has already toggled itself when `triggered` arrives: unchecked
            // now means it was the checked item, which changes nothing.
            QObject::connect(action, &QAction::triggered, action, [action, language](bool checked) {
                if (!checked)
                    action->setChecked(true);
                else
                    switchTo(language);
            });
        }
    }
    syncLanguageItems();
}

QMainWindow *LanguageMainWindow()
{
    return mainWindow.data();
}

void LanguageMenuClick(Language language)
{
    // The check mark is the language; without a menu the index stands for it.
    const QAction *item = languageItem(language);
    const bool checked = item != nullptr ? item->isChecked() : LanguageChecked(language);
    if (!checked)
        switchTo(language);
}

void English1Click() { LanguageMenuClick(Language::English); }
void Magyar1Click() { LanguageMenuClick(Language::Magyar); }
void Deutsch1Click() { LanguageMenuClick(Language::Deutsch); }
void Francais1Click() { LanguageMenuClick(Language::Francais); }
void Italiano1Click() { LanguageMenuClick(Language::Italiano); }
void Portugues1Click() { LanguageMenuClick(Language::Portugues); }
void Espagnol1Click() { LanguageMenuClick(Language::Espanol); }

bool ClickLanguageLetter(char letter)
{
    const std::optional<Language> language = LanguageFromLetter(letter);
    if (!language)
        return false;
    LanguageMenuClick(*language);
    return true;
}

void ApplyStartupLanguage()
{
    const QAction *english = languageItem(Language::English);
    if (english != nullptr ? !english->isChecked() : !LanguageChecked(Language::English))
        return;
    checkedLanguage.store(-1);
    syncLanguageItems();
    English1Click();
}

void RefreshStateCaptions()
{
    if (!mainWindow)
        return;

    // A full-page label that is empty stays empty.
    if (QObject *localFull = control("LabelLocalPlein"); localFull && !CaptionOf(localFull).isEmpty())
        SetCaption(localFull, MsgLocalCharactersFull());

    const Timing &timing = CaptionTiming();
    const QString realSpeed = RealSpeedText(timing, CurrentLanguage());
    if (QObject *label = control("LabelVitesseCorrigee"))
        SetCaption(label, realSpeed);
    if (QObject *speed = control("UpDownVitesse"))
        SetHint(speed, timing.RealSpeedDiffers() ? realSpeed : QString());

    UpdateRandomSummary();
    UpdateSpacingSummary();
    runListeners(switchListeners());
}

LanguageSources &languageSources()
{
    static LanguageSources sources;
    return sources;
}

const Timing &CaptionTiming()
{
    static const Timing defaults;
    const Timing *timing = languageSources().timing ? languageSources().timing() : nullptr;
    return timing ? *timing : defaults;
}

QString RealSpeedText(const Timing &timing, Language language)
{
    return TxtRealSpeedIn(language) + QString::fromStdString(timing.RealSpeedFigure());
}

QString ModeTitleFromCaption(const QString &caption)
{
    QString title = caption;
    const qsizetype amp = title.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        title.remove(amp, 1);
    return QLatin1Char(' ') + title;
}

QString LessonModeTitle(int selectedIndex, int lessonPage, bool koch, Language language)
{
    const int number = selectedIndex + 1 + (lessonPage - 1) * 20;
    return TxtLessonIn(language) + QStringLiteral(" #") + QString::number(number) +
           (koch ? QStringLiteral(" (Koch)") : QStringLiteral(" (") + TxtLocalIn(language) + QLatin1Char(')'));
}

void OnLanguageSwitch(std::function<void()> refresh)
{
    switchListeners().push_back({nullptr, false, std::move(refresh)});
}

void OnLanguageSwitch(QObject *owner, std::function<void()> refresh)
{
    switchListeners().push_back({owner, true, std::move(refresh)});
}

void OnLanguageChosen(QObject *owner, std::function<void(Language)> apply)
{
    chosenListeners().push_back({owner, true, std::move(apply)});
}

LanguageAware::LanguageAware(QWidget *window) : window_(window)
{
    if (window != nullptr)
        showWatcher_ = new ShowWatcher(window, this);
    sideWindows().push_back(this);
}

LanguageAware::~LanguageAware()
{
    auto &windows = sideWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    delete showWatcher_.data();
}

void RefreshVisibleSideWindows()
{
    // A copy: a window's retranslate may create or destroy others.
    const std::vector<LanguageAware *> windows = sideWindows();
    for (LanguageAware *aware : windows) {
        QWidget *window = aware->languageWindow();
        if (window != nullptr && window->isVisible())
            aware->retranslate();
    }
}

QString ForDisplay(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

void SetCaption(QObject *object, const QString &text)
{
    if (object == nullptr)
        return;
    if (auto *action = qobject_cast<QAction *>(object)) {
        action->setText(ForDisplay(text));
    } else if (auto *menu = qobject_cast<QMenu *>(object)) {
        menu->setTitle(text);
    } else if (auto *group = qobject_cast<QGroupBox *>(object)) {
        group->setTitle(text);
    } else if (auto *label = qobject_cast<QLabel *>(object)) {
        // A label shows "&" literally unless it has a buddy; the captions use it as an access key.
        label->setText(label->buddy() != nullptr ? ForDisplay(text) : stripAccelerators(ForDisplay(text)));
    } else if (auto *button = qobject_cast<QAbstractButton *>(object)) {
        button->setText(ForDisplay(text));
    } else if (auto *line = qobject_cast<QLineEdit *>(object)) {
        line->setText(text);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(object)) {
        plain->setPlainText(ForDisplay(text));
    } else if (object->property("text").isValid()) {
        object->setProperty("text", ForDisplay(text));
    } else if (object->property("title").isValid()) {
        object->setProperty("title", text);
    } else if (auto *widget = qobject_cast<QWidget *>(object); widget && widget->isWindow()) {
        widget->setWindowTitle(text);
    }
}

void SetHint(QObject *object, const QString &text)
{
    if (auto *action = qobject_cast<QAction *>(object))
        action->setToolTip(ForDisplay(text));
    else if (auto *widget = qobject_cast<QWidget *>(object))
        widget->setToolTip(ForDisplay(text));
}

void SetItemText(QObject *object, int index, const QString &text)
{
    if (object == nullptr || index < 0)
        return;
    if (auto *list = qobject_cast<QListWidget *>(object)) {
        if (QListWidgetItem *item = list->item(index))
            item->setText(text);
    } else if (auto *combo = qobject_cast<QComboBox *>(object)) {
        if (index < combo->count())
            combo->setItemText(index, text);
    } else {
        // A radio group: its buttons in creation order.
        const QList<QAbstractButton *> buttons = object->findChildren<QAbstractButton *>();
        if (index < buttons.size())
            buttons[index]->setText(ForDisplay(text));
    }
}

QString CaptionOfRaw(const QObject *object)
{
    if (object == nullptr)
        return {};
    if (auto *action = qobject_cast<const QAction *>(object))
        return action->text();
    if (auto *menu = qobject_cast<const QMenu *>(object))
        return menu->title();
    if (auto *group = qobject_cast<const QGroupBox *>(object))
        return group->title();
    if (auto *label = qobject_cast<const QLabel *>(object))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(object))
        return button->text();
    if (auto *line = qobject_cast<const QLineEdit *>(object))
        return line->text();
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(object))
        return plain->toPlainText();
    const QVariant text = object->property("text");
    if (text.isValid())
        return text.toString();
    return object->property("title").toString();
}

QString CaptionOf(const QObject *object)
{
    return stripAccelerators(CaptionOfRaw(object));
}

QObject *MainWindowControl(const char *objectName)
{
    if (!mainWindow)
        return nullptr;
    return mainWindow->findChild<QObject *>(QLatin1String(objectName));
}

QString WithoutAccessKeys(const QString &text)
{
    return stripAccelerators(text);
}

namespace {
constexpr const char *kValueProperty = "kestrelonValue";
constexpr int kValueRole = Qt::UserRole + 0x4b56;
} // namespace

void MarkAsValue(QObject *control)
{
    if (control != nullptr)
        control->setProperty(kValueProperty, true);
}

bool ShowsValue(const QObject *control)
{
    return control != nullptr && control->property(kValueProperty).toBool();
}

void MarkAsValue(QListWidgetItem *row)
{
    if (row != nullptr)
        row->setData(kValueRole, true);
}

bool ShowsValue(const QListWidgetItem *row)
{
    return row != nullptr && row->data(kValueRole).toBool();
}
