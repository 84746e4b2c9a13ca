// The random options menu: the character sets, the word list, the group options, the
// presentation switches of the memo and the start delay; and the character-choice panel.

#include "engine/cp1252.h"
#include "platform/userfile.h"
#include "shell/accessiblenames.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/formdialog.h"
#include "shell/instructorlock.h"
#include "shell/languages/languages.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/opendialogs.h"
#include "shell/sidewindows.h"
#include "shell/startup.h"
#include "shell/summaries.h"
#include "shell/systembeep.h"
#include "shell/utilities.h"
#include "training/randominternal.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QToolButton>

namespace {

RandomModule &m()
{
    return RandomModuleState();
}

QAction *addItem(QMenu *menu, const char *name, const QString &caption, bool checkable = true)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(checkable);
    return item;
}

void connectItem(QAction *item, void (*handler)(QObject *))
{
    QObject::connect(item, &QAction::triggered, item, [item, handler] { handler(item); });
}

bool demoVisible()
{
    return SideWindowVisible(SideWindowPlace::DemoView);
}

// Unchecks the word list and the exam's items (the exam joins this menu later).
void uncheckWordsAndExam()
{
    m().MenuListWords->setChecked(false);
    for (const char *name : {"menuExamen", "MenuExamComplet", "MenuExamPha2", "MenuExamPha3"}) {
        if (auto *item = RandomForm().findChild<QAction *>(QString::fromLatin1(name)))
            item->setChecked(false);
    }
    if (auto *exam = RandomForm().findChild<QWidget *>(QStringLiteral("PanelExamen")))
        exam->hide();
}

void checkOnlySetItem(QAction *checked)
{
    for (QAction *item : m().SetItems)
        item->setChecked(item == checked);
    m().MenuChoixCaracteres->setChecked(m().MenuChoixCaracteres == checked);
}

void disableCallsigns()
{
    m().menuCallsigns->setEnabled(false);
    m().menuCallsigns->setChecked(false);
}

// Call signs need letters and figures in groups of five.
void updateCallsignsItem()
{
    if (m().SetItems[static_cast<int>(RandomSet::LettersFigures)]->isChecked() && m().MenuFixedWords[3]->isChecked())
        m().menuCallsigns->setEnabled(true);
    else
        disableCallsigns();
}

void moveMemoCaretToEnd()
{
    m().MemoRandom->moveCursor(QTextCursor::End);
}

// The focus goes back where the user was: the typing box during its replay, the file text
// while it plays.
void giveFocusBack()
{
    if (demoVisible())
        return;
    const EngineState &s = RandomForm().Engine;
    if (s.ReplayingTypedText) {
        if (QLineEdit *box = RandomForm().Editcaractere)
            box->setFocus();
    } else if (s.TextPlaying) {
        if (auto *file = RandomForm().findChild<QWidget *>(QStringLiteral("FileEdit")))
            file->setFocus();
    }
}

int lessonPage()
{
    const LanguageSources &sources = languageSources();
    return sources.lessonPage ? sources.lessonPage() : 1;
}

std::vector<std::string> choiceItems()
{
    std::vector<std::string> items;
    for (int i = 0; i < m().BoxCaracteresChoix->count() && i < 20; ++i)
        items.push_back(cp1252::fromQString(m().BoxCaracteresChoix->itemText(i)));
    return items;
}

void setChoiceText(const QString &text)
{
    QLineEdit *edit = m().BoxCaracteresChoix->lineEdit();
    edit->setText(text);
}

// The choice box's keys: Escape cancels, Enter accepts, a blank is refused.
class ChoiceKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Escape:
            ButtonCancelChoixClick(m().ButtonCancelChoix);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            ButtonChoixCaractereOKClick(m().ButtonChoixCaractereOK);
            return true;
        case Qt::Key_Space:
            return true;
        default:
            return key->text() == QStringLiteral(" ");
        }
    }
};

// Every change of the box's text turns it to lower case, the caret staying where it was.
void BoxCaracteresChoixChange()
{
    QLineEdit *edit = m().BoxCaracteresChoix->lineEdit();
    ReplaceEditText(edit, cp1252::toLower(cp1252::fromQString(edit->text())));
}

} // namespace

// The word-file dialog; the chosen file becomes the word list and is loaded.
WordFileChoice ChooseWordFile()
{
    RandomModule &r = m();
    OpenFileRequest request("OpenDialogListMots", {QStringLiteral("Text file / Fichier texte (*.txt *.wri *.kst)"),
                                                   QStringLiteral("All / Tous (*)")});
    if (r.WordListMode)
        request.preselect = r.WordListFile;
    const std::optional<QString> chosen = ChooseFileToOpen(&RandomForm(), r.WordListFolder, request);
    if (!chosen)
        return WordFileChoice::Cancelled;
    r.WordListFile = *chosen;
    return LoadWordList() ? WordFileChoice::Loaded : WordFileChoice::Failed;
}

// ---- Shared helpers ------------------------------------------------------------------------------

void ReplaceEditText(QLineEdit *edit, const std::string &text)
{
    const QString shown = cp1252::toQString(text);
    if (shown == edit->text())
        return;
    const int caret = edit->cursorPosition();
    const QSignalBlocker quiet(edit);
    edit->setText(shown);
    edit->setCursorPosition(std::min(caret, static_cast<int>(shown.size())));
}

void ShowSetTitle(const QString &title)
{
    for (const char *name : {"EditCaractersQuiz", "PanelRandomLesson"}) {
        if (QObject *label = MainWindowControl(name))
            SetCaption(label, title);
    }
    if (TSideForm *report = SideWindowAt(SideWindowPlace::QuizReport); AllFormsCreated && report) {
        if (auto *label = report->findChild<QObject *>(QStringLiteral("Label1")))
            SetCaption(label, title);
    }
    moveMemoCaretToEnd();
}

void ShowRandomCaptions()
{
    RandomModule &r = m();
    SetCaption(r.ButtonHide, MemoHidden() ? TxtShow() : TxtHide());
    moveMemoCaretToEnd();

    // The checked set item's caption, or the chosen lesson.
    const auto set = [&r](RandomSet s) { return r.SetItems[static_cast<int>(s)]; };
    for (QAction *item : {set(RandomSet::Letters), set(RandomSet::Figures), set(RandomSet::LettersFigures),
                          set(RandomSet::Stops), set(RandomSet::All), r.MenuListWords, r.MenuChoixCaracteres}) {
        if (!item->isChecked())
            continue;
        QString title = ModeTitleFromCaption(CaptionOfRaw(item));
        if (const int lesson = r.BoxCaracteresChoix->currentIndex(); item == r.MenuChoixCaracteres && lesson >= 0)
            title = LessonModeTitle(lesson, lessonPage(), NamedChecked(RandomForm(), "CheckBoxKOCH"), CurrentLanguage());
        ShowSetTitle(title);
    }

    const std::pair<QAction *, QAction *> twins[] = {
        {r.PopHideRandomA, r.MenuHide}, {r.PopShowRandomA, r.menuShow},
        {r.PopHideFileA, r.MenuCacherText}, {r.PopShowFileA, r.menuMontrerText}};
    for (const auto &[popup, item] : twins)
        SetCaption(popup, CaptionOfRaw(item));
}

void SetSetItemsEnabled(bool enabled)
{
    for (QAction *item : m().SetItems)
        item->setEnabled(enabled);
    m().MenuChoixCaracteres->setEnabled(enabled);
}

QString WordListLabel(const QString &path)
{
    QString label;
    for (qsizetype i = 0; i < path.size(); ++i) {
        label += path[i];
        const bool separator = path[i] == QLatin1Char('/') || path[i] == QLatin1Char('\\');
        if (separator && (i + 1 >= path.size() || path[i + 1] != QLatin1Char(' ')))
            label += QLatin1Char(' ');
    }
    return label;
}

bool LoadWordList(bool sayFailure)
{
    RandomModule &r = m();
    RandomSeries &series = *r.series;
    const bool named = !r.WordListFile.isEmpty();
    const userfile::ReadResult file
        = named ? userfile::ReadUserFile(QFile::encodeName(r.WordListFile).toStdString(), MaxWordListBytes)
                : userfile::ReadResult{};
    if (file.status != userfile::ReadStatus::Read) {
        r.WordListFile.clear();
        series.Words.clear();
        series.WordListChosen = false;
        if (sayFailure && named)
            ShowProgramMessage(CannotOpenFileText);
        r.WordListMode = false;
        return false;
    }
    series.Words = ParseWordList(file.bytes);
    series.WordListChosen = true;
    r.WordListFolder = QFileInfo(r.WordListFile).absolutePath();
    SetCaption(r.LabelWords, WordListLabel(r.WordListFile));
    r.WordListMode = false;
    return true;
}

void RestartSeriesAfterSetChange();

// ---- Character sets --------------------------------------------------------------------------------

void SetItemClick(RandomSet set)
{
    RandomModule &r = m();
    QAction *item = r.SetItems[static_cast<int>(set)];
    SelectSet(RandomForm().EngineSets, set);
    checkOnlySetItem(item);
    uncheckWordsAndExam();
    if (set == RandomSet::LettersFigures)
        updateCallsignsItem();
    else
        disableCallsigns();
    r.MenuWordslength->setEnabled(true);
    ShowSetTitle(ModeTitleFromCaption(CaptionOfRaw(item)));
    RestartSeriesAfterSetChange();
    UpdateRandomSummary();
}

void MenuLettersClick(QObject *) { SetItemClick(RandomSet::Letters); }
void MenuFiguresClick(QObject *) { SetItemClick(RandomSet::Figures); }
void MenuStopsClick(QObject *) { SetItemClick(RandomSet::Stops); }
void MenuLocalClick(QObject *) { SetItemClick(RandomSet::Local); }
void MenuLettersFiguresClick(QObject *) { SetItemClick(RandomSet::LettersFigures); }
void MenuAllClick(QObject *) { SetItemClick(RandomSet::All); }

void MenuChoixCaracteresClick(QObject *)
{
    RandomModule &r = m();
    if (r.WordListMode) {
        ChooseWordFile();
        r.WordListMode = false;
        UpdateRandomSummary();
        return;
    }
    if (RandomForm().Engine.QuizSeriesPlaying)
        ClickNamed(&RandomForm(), "ButtonQuizStop");
    static constexpr PanelExit others[] = {
        {"PanelLocalLesson", "ButtonLocalLessonExit"}, {"PanelLocalCharacters", "ButtonLocalCaractereExit"},
        {"PanelMaskedText", "ButtonMaskedTextCancel"}, {"PanelEspace", "BitBtnOKEspace"},
        {"PanelLocalShortcut", "ButtonShortcutExit"},  {"PanelPort", "ButtonClosePanelPort"},
        {"PanelMsg", "ButtonCloseMsg"},                {"PanelCarteSon", "ButtonCloseCarteSon"},
        {"PanelImportLessons", "BitBtnCancelImport"},
    };
    CloseFirstShownPanel(&RandomForm(), others);
    r.PanelChoixRandom->show();
    r.PanelChoixRandom->raise();
    r.BoxCaracteresChoix->setFocus();
    if (auto *quizOK = RandomForm().findChild<QWidget *>(QStringLiteral("ButtonQuizOK")))
        quizOK->setEnabled(false);
    r.LessonText = cp1252::fromQString(r.BoxCaracteresChoix->currentText());
    r.LessonTextIndex = r.BoxCaracteresChoix->currentIndex();
    r.SavedLessonPage = lessonPage();
    r.LessonBoxIndex = r.LessonTextIndex;
    r.LessonPageShown = lessonPage();
    disableCallsigns();
    UpdateRandomSummary();
}

void ButtonChoixCaractereOKClick(QObject *)
{
    RandomModule &r = m();
    TForm1 &f = RandomForm();
    const std::string text = cp1252::fromQString(r.BoxCaracteresChoix->currentText());
    if (text.empty() || text == " ") {
        ProgramBeep();
        return;
    }
    r.ButtonCancelChoix->setEnabled(true);
    r.PanelChoixRandom->hide();
    if (auto *quizOK = f.findChild<QWidget *>(QStringLiteral("ButtonQuizOK")))
        quizOK->setEnabled(true);

    BuildOwnChoice(f.EngineSets, text);
    checkOnlySetItem(r.MenuChoixCaracteres);
    uncheckWordsAndExam();
    r.MenuWordslength->setEnabled(true);

    const int lesson = RecogniseLesson(text, choiceItems(), r.LessonBoxIndex, r.LessonPageShown == lessonPage());
    {
        // Selecting the item must not put its text back over what was typed.
        const QSignalBlocker quiet(r.BoxCaracteresChoix);
        r.BoxCaracteresChoix->setCurrentIndex(lesson);
        setChoiceText(cp1252::toQString(text));
    }
    QString title;
    if (lesson >= 0)
        title = QLatin1Char(' ') + LessonModeTitle(lesson, lessonPage(), NamedChecked(f, "CheckBoxKOCH"), CurrentLanguage());
    else
        title = ModeTitleFromCaption(CaptionOfRaw(r.MenuChoixCaracteres));
    ShowSetTitle(title);
    giveFocusBack();
    RestartSeriesAfterSetChange();
    UpdateRandomSummary();
}

void ButtonCancelChoixClick(QObject *)
{
    RandomModule &r = m();
    if (TSideForm *card = SideWindowAt(SideWindowPlace::ChoiceHelpCard))
        card->hide();
    r.PanelChoixRandom->hide();
    if (auto *quizOK = RandomForm().findChild<QWidget *>(QStringLiteral("ButtonQuizOK")))
        quizOK->setEnabled(true);
    if (RestoreLessonPage())
        RestoreLessonPage()(r.SavedLessonPage);
    {
        const QSignalBlocker quiet(r.BoxCaracteresChoix);
        r.BoxCaracteresChoix->setCurrentIndex(r.LessonTextIndex);
        setChoiceText(cp1252::toQString(r.LessonText));
    }
    giveFocusBack();
}

// ---- Word list -------------------------------------------------------------------------------

void MenuListWordsClick(QObject *)
{
    RandomModule &r = m();
    for (QAction *item : r.SetItems)
        item->setChecked(false);
    r.MenuChoixCaracteres->setChecked(false);
    disableCallsigns();
    uncheckWordsAndExam();
    r.MenuListWords->setChecked(true);
    r.MenuWordslength->setEnabled(false); // group options do not apply to words
    SetCaption(r.PanelRandomLesson, ModeTitleFromCaption(CaptionOfRaw(r.MenuListWords)));
    moveMemoCaretToEnd();
    if (r.WordListFile.isEmpty())
        ChooseWordFile();
    else
        LoadWordList(); // a list named by the settings is read when the mode is chosen
}

// ---- Group options -------------------------------------------------------------------------------

void MenuAddVClick(QObject *)
{
    UpdateRandomSummary();
}

void MenuFixedWordsClick(int length)
{
    RandomModule &r = m();
    length = std::clamp(length, 2, 8);
    for (int n = 2; n <= 8; ++n)
        r.MenuFixedWords[n - 2]->setChecked(n == length);
    r.MenuRandomWords->setChecked(false);
    RandomForm().Engine.GroupLength = length;
    if (length == 5)
        updateCallsignsItem();
    else
        disableCallsigns();
    UpdateRandomSummary();
}

void MenuRandomWordsClick(QObject *)
{
    RandomModule &r = m();
    for (QAction *item : r.MenuFixedWords)
        item->setChecked(false);
    r.MenuRandomWords->setChecked(true);
    disableCallsigns();
    UpdateRandomSummary();
}

void MenuWordContentClick(QObject *)
{
    if (m().MenuWordContent->isChecked())
        m().menuCallsigns->setChecked(false);
    UpdateRandomSummary();
}

void menuCallsignsClick(QObject *)
{
    if (m().menuCallsigns->isChecked())
        m().MenuWordContent->setChecked(false);
    UpdateRandomSummary();
}

// ---- Hiding, case, start delay --------------------------------------------------------------------

bool MemoHidden()
{
    const QPalette palette = m().MemoRandom->palette();
    return palette.color(QPalette::Base) == palette.color(QPalette::Text);
}

void SetMemoHidden(bool hidden)
{
    // Masked by the instructor: nothing shows the groups (Stop's "always show" included).
    if (!hidden && OptionLocked(InstructorLock::MaskedRandom))
        return;
    QPalette palette = m().MemoRandom->palette();
    const QPalette normal = QApplication::palette(m().MemoRandom);
    palette.setColor(QPalette::Base, hidden ? palette.color(QPalette::Text) : normal.color(QPalette::Base));
    m().MemoRandom->setPalette(palette);
    m().ButtonHide->setText(hidden ? TxtShow() : TxtHide());
}

void ButtonHideClick(QObject *)
{
    SetMemoHidden(m().ButtonHide->text() == TxtHide());
    if (QLineEdit *box = RandomForm().Editcaractere) {
        box->setEnabled(true);
        if (!demoVisible())
            box->setFocus();
    }
}

void SpeedButtonRandomCaseClick(QObject *)
{
    // The button has already changed state: down now means lower case.
    const bool lower = m().SpeedButtonRandomCase->isChecked();
    m().menulowercase->setChecked(lower);
    QPlainTextEdit *memo = m().MemoRandom;
    const int caret = memo->textCursor().position();
    const std::string text = cp1252::fromQString(memo->toPlainText());
    memo->setPlainText(cp1252::toQString(lower ? cp1252::toLower(text) : cp1252::toUpper(text)));
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(std::min(caret, memo->document()->characterCount() - 1));
    memo->setTextCursor(cursor);
}

void menulowercaseClick(QObject *)
{
    m().SpeedButtonRandomCase->setChecked(m().menulowercase->isChecked());
}

void MenuDelaiRandomClick(int seconds)
{
    RandomModule &r = m();
    seconds = std::clamp(seconds, 0, 5);
    for (int n = 0; n <= 5; ++n) {
        r.MenuDelaiRandomItems[n]->setChecked(n == seconds);
        r.Poprandom[n]->setChecked(n == seconds);
    }
}

void ButtonRetardRandomClick(int seconds)
{
    MenuDelaiRandomClick(seconds);
    m().MenuDelaiRandom->setChecked(seconds > 0);
}

// ---- Building ------------------------------------------------------------------------------------

void BuildRandomMenus(RandomModule &r)
{
    TForm1 &f = *r.form;
    r.MenuRandomOptions = f.addMenuNamed("MenuRandomOptions", QStringLiteral("&Random"));
    QMenu *menu = r.MenuRandomOptions;

    static const struct {
        const char *name;
        const char *caption;
        Qt::Key key;
        void (*handler)(QObject *);
    } sets[] = {
        {"MenuLetters", "&Letters", Qt::Key_F5, MenuLettersClick},
        {"MenuFigures", "&Figures", Qt::Key_F6, MenuFiguresClick},
        {"MenuStops", "&Stops", Qt::Key_F7, MenuStopsClick},
        {"MenuLocal", "L&ocal", Qt::Key_F8, MenuLocalClick},
        {"MenuLettersFigures", "L&etters + Figures", Qt::Key_F9, MenuLettersFiguresClick},
        {"MenuAll", "&All", Qt::Key_F10, MenuAllClick},
    };
    for (std::size_t i = 0; i < std::size(sets); ++i) {
        QAction *item = addItem(menu, sets[i].name, QString::fromLatin1(sets[i].caption));
        item->setShortcut(QKeySequence(sets[i].key));
        connectItem(item, sets[i].handler);
        r.SetItems[i] = item;
    }
    r.SetItems[static_cast<int>(RandomSet::All)]->setChecked(true);
    r.MenuChoixCaracteres = addItem(menu, "MenuChoixCaracteres", QStringLiteral("&Chosen characters"));
    r.MenuChoixCaracteres->setShortcut(QKeySequence(Qt::Key_F11));
    QObject::connect(r.MenuChoixCaracteres, &QAction::triggered, r.MenuChoixCaracteres, [&r] {
        // The item's own toggle is undone: only an accepted choice checks it.
        r.MenuChoixCaracteres->setChecked(!r.MenuChoixCaracteres->isChecked());
        MenuChoixCaracteresClick(r.MenuChoixCaracteres);
    });
    r.MenuListWords = addItem(menu, "MenuListWords", QStringLiteral("Vocabulary"));
    r.MenuListWords->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V));
    connectItem(r.MenuListWords, MenuListWordsClick);
    menu->addSeparator();

    r.MenuAddV = addItem(menu, "MenuAddV", QStringLiteral("Add &VVVVV"));
    r.MenuAddV->setShortcut(QKeySequence(Qt::Key_F12));
    connectItem(r.MenuAddV, MenuAddVClick);

    r.WordOptionsMenu = menu->addMenu(QStringLiteral("&Word options"));
    r.MenuWordslength = r.WordOptionsMenu->menuAction();
    r.MenuWordslength->setObjectName(QStringLiteral("MenuWordslength"));
    r.MenuWordslength->setShortcut(QKeySequence(Qt::Key_F3));
    QObject::connect(r.MenuWordslength, &QAction::triggered, r.WordOptionsMenu,
                     [&r] { r.WordOptionsMenu->popup(QCursor::pos()); });
    for (int n = 2; n <= 8; ++n) {
        const QByteArray name = "MenuFixedWords" + QByteArray::number(n);
        QAction *item = addItem(r.WordOptionsMenu, name.constData(), QStringLiteral("&%1 character length").arg(n));
        QObject::connect(item, &QAction::triggered, item, [n] { MenuFixedWordsClick(n); });
        r.MenuFixedWords[n - 2] = item;
    }
    r.MenuFixedWords[3]->setChecked(true);
    r.MenuRandomWords = addItem(r.WordOptionsMenu, "MenuRandomWords", QStringLiteral("&Random length (2 to 8)"));
    connectItem(r.MenuRandomWords, MenuRandomWordsClick);
    r.WordOptionsMenu->addSeparator();
    r.MenuWordContent = addItem(r.WordOptionsMenu, "MenuWordContent", QStringLiteral("Non-mixed characters"));
    connectItem(r.MenuWordContent, MenuWordContentClick);
    r.menuCallsigns = addItem(r.WordOptionsMenu, "menuCallsigns", QStringLiteral("Callsigns"));
    r.menuCallsigns->setEnabled(false);
    connectItem(r.menuCallsigns, menuCallsignsClick);
    menu->addSeparator();

    // Hide and show, with their pop-up twins: clicking one copies its check mark to the other.
    r.MenuHide = addItem(menu, "MenuHide", QStringLiteral("Always hide when playing"));
    r.menuShow = addItem(menu, "menuShow", QStringLiteral("Always show when stop playing"));
    r.MenuCacherText = addItem(menu, "MenuCacherText", QStringLiteral("Always hide when playing File"));
    r.menuMontrerText = addItem(menu, "menuMontrerText", QStringLiteral("Always show when stopping File"));
    r.PopHideRandom = new QMenu(&f);
    r.PopHideRandom->setObjectName(QStringLiteral("PopHideRandom"));
    r.PopHideRandomA = addItem(r.PopHideRandom, "PopHideRandomA", QStringLiteral("Always hide when playing"));
    r.PopShowRandomA = addItem(r.PopHideRandom, "PopShowRandomA", QStringLiteral("Always show when stop playing"));
    r.PopHideFile = new QMenu(&f);
    r.PopHideFile->setObjectName(QStringLiteral("PopHideFile"));
    r.PopHideFileA = addItem(r.PopHideFile, "PopHideFileA", QStringLiteral("Always hide when playing"));
    r.PopShowFileA = addItem(r.PopHideFile, "PopShowFileA", QStringLiteral("Always show when stopping"));
    const std::pair<QAction *, QAction *> twins[] = {
        {r.MenuHide, r.PopHideRandomA}, {r.menuShow, r.PopShowRandomA},
        {r.MenuCacherText, r.PopHideFileA}, {r.menuMontrerText, r.PopShowFileA}};
    for (const auto &[first, second] : twins) {
        // Copies: clang before 16 cannot capture a structured binding.
        QAction *item = first, *twin = second;
        QObject::connect(item, &QAction::triggered, twin, [item, twin] { twin->setChecked(item->isChecked()); });
        QObject::connect(twin, &QAction::triggered, item, [item, twin] { item->setChecked(twin->isChecked()); });
    }

    r.menulowercase = addItem(menu, "menulowercase", QStringLiteral("Lowercase"));
    connectItem(r.menulowercase, menulowercaseClick);

    // The start delay, and its pop-up twins on Play (Ctrl + left click).
    auto *delays = menu->addMenu(QStringLiteral("Start delay"));
    r.MenuDelaiRandom = delays->menuAction();
    r.MenuDelaiRandom->setObjectName(QStringLiteral("MenuDelaiRandom"));
    r.MenuDelaiRandom->setCheckable(true);
    r.PopRandom = new QMenu(&f);
    r.PopRandom->setObjectName(QStringLiteral("PopRandom"));
    static const char *const delayNames[] = {"MenuDelaiRandom0", "MenuDelaiRandom1", "MenuDelairandom2",
                                             "MenuDelaiRandom3", "MenudelaiRandom4", "MenuDelaiRandom5"};
    for (int n = 0; n <= 5; ++n) {
        const QString caption = QStringLiteral("%1 s").arg(n);
        QAction *item = addItem(delays, delayNames[n], caption);
        QObject::connect(item, &QAction::triggered, item, [n] { MenuDelaiRandomClick(n); });
        r.MenuDelaiRandomItems[n] = item;
        const QByteArray popName = "Poprandom" + QByteArray::number(n);
        QAction *pop = addItem(r.PopRandom, popName.constData(), caption);
        QObject::connect(pop, &QAction::triggered, pop, [n] { ButtonRetardRandomClick(n); });
        r.Poprandom[n] = pop;
    }
    r.MenuDelaiRandomItems[0]->setChecked(true);
    r.Poprandom[0]->setChecked(true);

    r.MenuReplayRandom = addItem(menu, "MenuReplayRandom", QStringLiteral("Right click on Play replays the series"));
    QObject::connect(r.MenuReplayRandom, &QAction::triggered, r.MenuReplayRandom, [] { UpdatePlayRandomHint(); });
    menu->addSeparator();

    r.MenuQuickRandom = addItem(menu, "MenuQuickRandom", QStringLiteral("&Generate a quick MemoRandom "), false);
    r.MenuQuickRandom->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F11));
    r.MenuQuickRandom->setEnabled(false); // until random mode is entered
    connectItem(r.MenuQuickRandom, MenuQuickRandomClick);
    r.ClearMemoRandom = addItem(menu, "ClearMemoRandom", QStringLiteral("&Clear MemoRandom"), false);
    r.ClearMemoRandom->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F1));
    connectItem(r.ClearMemoRandom, ClearMemoRandomClick);
    r.SaveMemoRandom1 = addItem(menu, "SaveMemoRandom1", QStringLiteral("&Save MemoRandom"), false);
    r.SaveMemoRandom1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F2));
    connectItem(r.SaveMemoRandom1, SaveMemoRandom1Click);
}

void BuildChoicePanel(RandomModule &r)
{
    TForm1 &f = *r.form;
    r.PanelChoixRandom = new QGroupBox(QStringLiteral("Choice of characters"), f.Frame);
    r.PanelChoixRandom->setObjectName(QStringLiteral("PanelChoixRandom"));
    r.PanelChoixRandom->setGeometry(120, 110, 420, 150);
    r.PanelChoixRandom->setAutoFillBackground(true);
    r.PanelChoixRandom->hide();

    r.LabelChoixCaracteres = new QLabel(QStringLiteral("Input 55 characters maximum or choose a lesson"), r.PanelChoixRandom);
    r.LabelChoixCaracteres->setObjectName(QStringLiteral("LabelChoixCaracteres"));
    r.LabelChoixCaracteres->setGeometry(12, 24, 396, 20);

    r.BoxCaracteresChoix = new QComboBox(r.PanelChoixRandom);
    r.BoxCaracteresChoix->setObjectName(QStringLiteral("BoxCaracteresChoix"));
    MarkAsValue(r.BoxCaracteresChoix); // the lessons' characters
    r.BoxCaracteresChoix->setEditable(true);
    r.BoxCaracteresChoix->setInsertPolicy(QComboBox::NoInsert);
    r.BoxCaracteresChoix->setMaxCount(20);
    r.BoxCaracteresChoix->lineEdit()->setMaxLength(MaxOwnChoice);
    r.BoxCaracteresChoix->setGeometry(12, 50, 396, 26);
    NameAfter(r.BoxCaracteresChoix, r.LabelChoixCaracteres);
    r.BoxCaracteresChoix->lineEdit()->installEventFilter(new ChoiceKeys(r.BoxCaracteresChoix));
    setChoiceText(QStringLiteral(" "));
    QObject::connect(r.BoxCaracteresChoix->lineEdit(), &QLineEdit::textChanged, r.BoxCaracteresChoix,
                     [] { BoxCaracteresChoixChange(); });

    r.ButtonChoixCaractereOK = new QPushButton(QStringLiteral("OK"), r.PanelChoixRandom);
    r.ButtonChoixCaractereOK->setObjectName(QStringLiteral("ButtonChoixCaractereOK"));
    r.ButtonChoixCaractereOK->setGeometry(228, 100, 84, 30);
    QObject::connect(r.ButtonChoixCaractereOK, &QPushButton::clicked, r.ButtonChoixCaractereOK,
                     [&r] { ButtonChoixCaractereOKClick(r.ButtonChoixCaractereOK); });
    r.ButtonCancelChoix = new QPushButton(QStringLiteral("Cancel"), r.PanelChoixRandom);
    r.ButtonCancelChoix->setObjectName(QStringLiteral("ButtonCancelChoix"));
    r.ButtonCancelChoix->setGeometry(324, 100, 84, 30);
    QObject::connect(r.ButtonCancelChoix, &QPushButton::clicked, r.ButtonCancelChoix,
                     [&r] { ButtonCancelChoixClick(r.ButtonCancelChoix); });
}
