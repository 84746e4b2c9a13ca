// The lesson settings panel (a local lesson edited by its number, the Koch order, the active
// set, reset, Exit and Cancel) and the lesson import panel (a file read into the memo, then
// placed from a start number).

#include "training/lessonsinternal.h"

#include "engine/cp1252.h"
#include "platform/userfile.h"
#include "shell/accessiblenames.h"
#include "shell/formdialog.h"
#include "shell/help.h"
#include "shell/languages/languages.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/opendialogs.h"
#include "shell/settingspanels.h"
#include "shell/systembeep.h"
#include "shell/utilities.h"
#include "training/filetext.h"
#include "training/randominternal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {

LessonsModule &m()
{
    return LessonsState();
}

constexpr int FlashMs = 300;
constexpr int Flashes = 3;

template <typename Control>
Control *make(QWidget *parent, const char *name, QRect geometry)
{
    auto *control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

QLabel *label(QWidget *parent, const char *name, QRect geometry, bool wrap = false)
{
    auto *text = make<QLabel>(parent, name, geometry);
    text->setWordWrap(wrap);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return text;
}

QPushButton *button(QWidget *parent, const char *name, QRect geometry, void (*handler)(QObject *))
{
    auto *pushButton = make<QPushButton>(parent, name, geometry);
    QObject::connect(pushButton, &QPushButton::clicked, pushButton, [pushButton, handler] { handler(pushButton); });
    return pushButton;
}

QFrame *panelFrame(TForm1 &form, const char *name, QRect geometry)
{
    auto *panel = make<QFrame>(form.Frame, name, geometry);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->hide();
    return panel;
}

QLabel *title(QWidget *panel, const char *name)
{
    QLabel *text = label(panel, name, QRect(12, 8, panel->width() - 24, 22));
    QFont font = text->font();
    font.setBold(true);
    text->setFont(font);
    return text;
}

bool quizOKDisabled()
{
    return !m().PanelLocalLesson->isHidden();
}

// The quiz's Play stays off while the lesson panel is open, whatever reached the choice's OK.
void applyChoice()
{
    ButtonChoixCaractereOKClick(RandomModuleState().ButtonChoixCaractereOK);
    if (quizOKDisabled()) {
        if (auto *quizOK = m().form->findChild<QWidget *>(QStringLiteral("ButtonQuizOK")))
            quizOK->setEnabled(false);
    }
}

// The choice's OK for the box's text, unless it holds no lesson (OK would only beep).
void applyBoxText()
{
    if (!lessons::IsEmptyLesson(cp1252::fromQString(BoxText())))
        applyChoice();
}

void setActiveSet(bool koch)
{
    m().CheckBoxKOCH->setChecked(koch);
    m().CheckBoxLOCAL->setChecked(!koch);
    m().SpeedButtonChoixMoins->setEnabled(false);
    m().SpeedButtonChoixPlus->setEnabled(true);
    ShowLessonSetCaption();
}

void discardImport()
{
    m().Imported.clear();
    m().MemoImportLessons->clear();
}

// The start-number label flashes red three times, with a beep before each flash.
void flashStartLabel()
{
    LessonsModule &l = m();
    if (l.Flashing)
        return;
    l.Flashing = true;
    const QPointer<QLabel> label = l.LabelEnterNumLesson;
    const QPointer<QPushButton> ok = l.BitBtnOKImportLessons;
    ok->setEnabled(false);
    for (int i = 0; i < Flashes && label; ++i) {
        ProgramBeep();
        label->setStyleSheet(QStringLiteral("color: red;"));
        WaitMilliseconds(FlashMs);
        if (!label)
            break;
        label->setStyleSheet(QString());
        WaitMilliseconds(FlashMs);
    }
    if (ok)
        ok->setEnabled(true);
    LessonsState().Flashing = false;
}

} // namespace

// ---- The lesson settings panel --------------------------------------------------------------------

void MenuLocallessonClick(QObject *)
{
    LessonsModule &l = m();
    OpenSettingsPanel(*l.form, l.PanelLocalLesson);
    l.KochOrderEdited = false;
    l.LessonSetSwitched = false;
    l.snapshot = {l.editkochlist->text(), BoxText(), l.LessonPage, RememberedPage(), BoxIndex(), KochActive()};
    l.EditNumeroLesson->setFocus();
}

void EditNumeroLessonChange(QObject *)
{
    LessonsModule &l = m();
    int lesson = 0;
    const lessons::NumberEntry entry = lessons::ParseLessonNumber(cp1252::fromQString(l.EditNumeroLesson->text()), lesson);
    l.LessonEditNumber = lesson;
    switch (entry) {
    case lessons::NumberEntry::Valid: {
        const std::string &text = l.LocalLessons[static_cast<std::size_t>(lesson - 1)];
        l.EditCaractereLesson->setText(lessons::IsEmptyLesson(text) ? QString() : cp1252::toQString(text));
        return;
    }
    case lessons::NumberEntry::Empty:
        l.EditCaractereLesson->clear();
        return;
    case lessons::NumberEntry::OutOfRange:
        ProgramBeep();
        [[fallthrough]];
    case lessons::NumberEntry::NotNumber:
        l.EditCaractereLesson->clear();
        l.EditNumeroLesson->clear();
        l.EditNumeroLesson->setFocus();
        return;
    }
}

void EditCaractereLessonChange(QObject *)
{
    QLineEdit *edit = m().EditCaractereLesson;
    ReplaceEditText(edit, lessons::CleanLessonText(cp1252::fromQString(edit->text())));
}

void ButtonLocalLessonEnterClick(QObject *)
{
    LessonsModule &l = m();
    const int n = l.LessonEditNumber;
    if (n == 0) {
        ProgramBeep();
        l.EditNumeroLesson->setFocus();
        return;
    }
    const QString chosen = BoxText();
    const std::string lesson = lessons::CleanLessonText(cp1252::fromQString(l.EditCaractereLesson->text()));
    std::string &stored = l.LocalLessons[static_cast<std::size_t>(n - 1)];
    stored = lesson.empty() ? std::string(lessons::EmptyLesson) : lesson;
    if (lessons::PageOf(n) == l.LessonPage && !KochActive())
        SetBoxItem(lessons::ItemOf(n), stored);

    // The lesson chosen before is applied again, selected when the page lists it.
    const std::string chosenText = cp1252::fromQString(chosen);
    if (!lessons::IsEmptyLesson(chosenText)) {
        const auto items = lessons::PageLessons(ActiveLessons(), l.LessonPage);
        const auto found = std::find(items.begin(), items.end(), chosenText);
        SelectBoxItem(found == items.end() ? -1 : static_cast<int>(found - items.begin()));
        SetBoxText(chosen);
        applyChoice();
    }
    l.EditNumeroLesson->selectAll();
    l.EditNumeroLesson->setFocus();
}

void ButtonLocalLessonExitClick(QObject *)
{
    LessonsModule &l = m();
    const bool koch = KochActive();
    l.LessonSetSwitched = koch != l.snapshot.koch;
    if (koch && l.editkochlist->text().isEmpty())
        return; // a Koch set needs its order
    if (koch && !l.LessonSetSwitched && !l.KochOrderEdited) {
        CloseSettingsPanel(*l.form, l.PanelLocalLesson);
        return;
    }
    if (l.LessonSetSwitched || koch) {
        ShowLessonPage(1);
        SelectBoxItem(0);
        RememberedPage() = 1;
        RememberedBoxIndex() = 0;
    }
    l.KochOrderEdited = false;
    l.LessonSetSwitched = false;
    CloseSettingsPanel(*l.form, l.PanelLocalLesson);
    applyBoxText();
}

void BitBtnCancelKOCHClick(QObject *)
{
    LessonsModule &l = m();
    if (KochActive() != l.snapshot.koch) {
        setActiveSet(l.snapshot.koch);
        l.LessonSetSwitched = true;
    }
    if (l.editkochlist->text() != l.snapshot.kochOrder)
        l.editkochlist->setText(l.snapshot.kochOrder);
    // The page is listed from the lessons as they are now: a lesson entered meanwhile stays.
    RememberedPage() = l.snapshot.pageShown;
    ShowLessonPage(l.snapshot.page);
    SelectBoxItem(l.snapshot.boxIndex);
    SetBoxText(l.snapshot.boxText);
    l.KochOrderEdited = false;
    l.LessonSetSwitched = false;
    CloseSettingsPanel(*l.form, l.PanelLocalLesson);
}

void editkochlistChange(QObject *)
{
    LessonsModule &l = m();
    l.KochOrderEdited = true;
    const std::string typed = cp1252::fromQString(l.editkochlist->text());
    lessons::KochSet koch = lessons::BuildKochLessons(typed);
    l.KochLessons = koch.lessons;
    if (koch.order.empty())
        ReplaceEditText(l.editkochlist, {});
    else
        ReplaceEditText(l.editkochlist, cp1252::toLower(typed));
}

void BitBtnDefaultKochClick(QObject *)
{
    m().editkochlist->setText(QString::fromLatin1(lessons::KochOrderDefault));
}

void CheckBoxKOCHClick(QObject *)
{
    setActiveSet(m().CheckBoxKOCH->isChecked());
}

void CheckBoxLOCALClick(QObject *)
{
    setActiveSet(!m().CheckBoxLOCAL->isChecked());
}

void SpeedButtonResetLessonsClick(QObject *)
{
    LessonsModule &l = m();
    if (AskProgramQuestion(MsgConfirmResetLessons(), QuestionPicture::Warning) != 1)
        return;
    l.LocalLessons = lessons::DefaultLocalLessons();
    l.EditNumeroLesson->clear();
    l.EditCaractereLesson->clear();
    ShowLessonPage(1);
    SelectBoxItem(0);
    MenuChoixCaracteresClick(RandomModuleState().MenuChoixCaracteres);
}

// ---- The import panel -------------------------------------------------------------------------

void MenuImportlessonsClick(QObject *)
{
    OpenSettingsPanel(*m().form, m().PanelImportLessons);
}

void BitBtnCancelImportClick(QObject *)
{
    CloseSettingsPanel(*m().form, m().PanelImportLessons);
}

void BitBtnImportLessonsClick(QObject *)
{
    LessonsModule &l = m();
    const QPointer<TForm1> window = l.form;
    ShowAnsiWarning(l.LabelWarningFile->text());
    if (!window)
        return;
    FileTextModule &files = FileText();
    OpenFileRequest request("OpenDialogImportLessons", {QStringLiteral("Text file (*.txt)")});
    request.defaultSuffix = QStringLiteral("txt");
    // Until a first import, where the last text file came from.
    const std::optional<QString> chosen = ChooseFileToOpen(window, l.ImportFolder, request, files.TextFolder);
    if (!window || !chosen)
        return;
    files.ChosenFileName = *chosen;
    // Reading stops at the 61st lesson anyway: a bigger file is read as far as the limit.
    const userfile::ReadResult file = userfile::ReadUserFile(QFile::encodeName(*chosen).toStdString(),
                                                             lessons::MaxImportBytes, userfile::Beyond::KeepPrefix);
    const bool cut = file.status == userfile::ReadStatus::TooLarge;
    if (file.status != userfile::ReadStatus::Read && !cut) {
        ShowProgramMessage(CannotOpenFileText);
        return;
    }
    const lessons::ImportResult read = lessons::ParseLessonFile(file.bytes, cut);
    l.Imported = read.lessons;
    std::string shown;
    for (const std::string &lesson : l.Imported)
        shown += lesson + '\n';
    if (!shown.empty())
        shown.pop_back();
    l.MemoImportLessons->setPlainText(cp1252::toQString(shown));
    if (read.stop == lessons::ImportStop::TooLong)
        ShowProgramMessage(MsgLessonTooLong());
    else if (read.stop == lessons::ImportStop::TooMany)
        ShowProgramMessage(MsgTooManyLessons());
}

void BitBtnOKImportLessonsClick(QObject *)
{
    LessonsModule &l = m();
    if (l.Flashing)
        return;
    ProgramBeep();
    int start = 0;
    switch (lessons::CheckPlacement(l.Imported, cp1252::fromQString(l.EditImportLessonNum->text()), start)) {
    case lessons::Placement::NothingImported:
        ShowProgramMessage(MsgPleaseImportLessons());
        discardImport();
        return;
    case lessons::Placement::TooMany:
        ShowProgramMessage(MsgTooManyLessons());
        discardImport();
        return;
    case lessons::Placement::BadStart: {
        const QPointer<QLineEdit> number = l.EditImportLessonNum;
        flashStartLabel();
        if (number) {
            number->clear();
            number->setFocus();
        }
        return;
    }
    case lessons::Placement::Ok:
        break;
    }
    lessons::PlaceLessons(l.LocalLessons, l.Imported, start);
    // The box shows them at once when it lists their page of the local set.
    for (int n = start; n < start + static_cast<int>(l.Imported.size()); ++n) {
        if (lessons::PageOf(n) == l.LessonPage && !KochActive())
            SetBoxItem(lessons::ItemOf(n), l.LocalLessons[static_cast<std::size_t>(n - 1)]);
    }
    discardImport();
    CloseSettingsPanel(*l.form, l.PanelImportLessons);
}

// ---- Building ----------------------------------------------------------------------------------

void BuildLessonPanel(LessonsModule &l)
{
    QFrame *panel = panelFrame(*l.form, "PanelLocalLesson", QRect(30, 16, 600, 420));
    l.PanelLocalLesson = panel;
    QLabel *settingsTitle = title(panel, "LabelLocalLesson");

    l.PanelMyLessons = make<QGroupBox>(panel, "PanelMyLessons", QRect(12, 36, 282, 300));
    QGroupBox *mine = l.PanelMyLessons;
    l.CheckBoxLOCAL = make<QCheckBox>(mine, "CheckBoxLOCAL", QRect(10, 22, 262, 22));
    l.CheckBoxLOCAL->setChecked(true);
    QObject::connect(l.CheckBoxLOCAL, &QCheckBox::clicked, l.CheckBoxLOCAL, [&l] { CheckBoxLOCALClick(l.CheckBoxLOCAL); });
    QLabel *number = label(mine, "LabelNumeroLesson", QRect(10, 56, 180, 22));
    l.EditNumeroLesson = make<QLineEdit>(mine, "EditNumeroLesson", QRect(196, 54, 40, 24));
    NameAfter(l.EditNumeroLesson, number);
    l.EditNumeroLesson->setMaxLength(2);
    QObject::connect(l.EditNumeroLesson, &QLineEdit::textChanged, l.EditNumeroLesson,
                     [&l] { EditNumeroLessonChange(l.EditNumeroLesson); });
    QLabel *characters = label(mine, "LabelCaractereLesson", QRect(10, 86, 262, 22));
    l.EditCaractereLesson = make<QLineEdit>(mine, "EditCaractereLesson", QRect(10, 108, 262, 24));
    NameAfter(l.EditCaractereLesson, characters);
    l.EditCaractereLesson->setMaxLength(lessons::MaxLessonLength);
    QObject::connect(l.EditCaractereLesson, &QLineEdit::textChanged, l.EditCaractereLesson,
                     [&l] { EditCaractereLessonChange(l.EditCaractereLesson); });
    QObject::connect(l.EditCaractereLesson, &QLineEdit::returnPressed, l.EditCaractereLesson,
                     [&l] { ButtonLocalLessonEnterClick(l.EditCaractereLesson); });
    l.ButtonLocalLessonEnter = button(mine, "ButtonLocalLessonEnter", QRect(10, 140, 90, 28), ButtonLocalLessonEnterClick);
    label(mine, "LabelLocalLesson2", QRect(10, 176, 262, 62), true);
    l.SpeedButtonResetLessons = make<QToolButton>(mine, "SpeedButtonResetLessons", QRect(10, 250, 36, 36));
    l.SpeedButtonResetLessons->setIcon(panel->style()->standardIcon(QStyle::SP_BrowserReload));
    QObject::connect(l.SpeedButtonResetLessons, &QToolButton::clicked, l.SpeedButtonResetLessons,
                     [&l] { SpeedButtonResetLessonsClick(l.SpeedButtonResetLessons); });
    l.BitBtnLocalLessonImport = button(mine, "BitBtnLocalLessonImport", QRect(56, 250, 130, 36), MenuImportlessonsClick);
    l.BitBtnLocalLessonImport->setIcon(panel->style()->standardIcon(QStyle::SP_DialogOpenButton));

    l.PanelKochLesson = make<QGroupBox>(panel, "PanelKochLesson", QRect(306, 36, 282, 300));
    QGroupBox *koch = l.PanelKochLesson;
    l.CheckBoxKOCH = make<QCheckBox>(koch, "CheckBoxKOCH", QRect(10, 22, 262, 22));
    QObject::connect(l.CheckBoxKOCH, &QCheckBox::clicked, l.CheckBoxKOCH, [&l] { CheckBoxKOCHClick(l.CheckBoxKOCH); });
    label(koch, "LabelKOCHlist", QRect(10, 52, 262, 40), true);
    l.editkochlist = make<QLineEdit>(koch, "editkochlist", QRect(10, 94, 262, 24));
    l.editkochlist->setMaxLength(lessons::MaxKochOrder);
    l.editkochlist->setText(QString::fromLatin1(lessons::KochOrderDefault));
    QObject::connect(l.editkochlist, &QLineEdit::textChanged, l.editkochlist, [&l] { editkochlistChange(l.editkochlist); });
    l.BitBtnDefaultKoch = button(koch, "BitBtnDefaultKoch", QRect(10, 126, 120, 28), BitBtnDefaultKochClick);
    label(koch, "LabelKochNote", QRect(10, 162, 262, 80), true);
    l.ButtonKochExit = button(koch, "ButtonKochExit", QRect(10, 250, 90, 28), ButtonLocalLessonExitClick);
    NameWithinPlace(l.ButtonKochExit, koch);

    l.LabelCurrentLessonSet = label(panel, "LabelCurrentLessonSet", QRect(12, 344, 576, 22));
    l.ButtonLocalLessonExit = button(panel, "ButtonLocalLessonExit", QRect(12, 376, 90, 30), ButtonLocalLessonExitClick);
    l.BitBtnCancelKOCH = button(panel, "BitBtnCancelKOCH", QRect(110, 376, 90, 30), BitBtnCancelKOCHClick);
    NameWithinPlace(l.ButtonLocalLessonExit, settingsTitle);
    auto *help = make<QPushButton>(panel, "ButtonLocalLessonHelp", QRect(548, 376, 40, 30));
    help->setText(QStringLiteral("?"));
    NameHelpButton(help, settingsTitle);
}

void BuildImportPanel(LessonsModule &l)
{
    QFrame *panel = panelFrame(*l.form, "PanelImportLessons", QRect(60, 24, 540, 420));
    l.PanelImportLessons = panel;
    QLabel *importTitle = title(panel, "LabelImportLessons");
    label(panel, "LabelImportLessonsInfo", QRect(12, 34, 516, 40), true);
    l.LabelWarningFile = label(panel, "LabelWarningFile", QRect(12, 76, 516, 36), true);
    l.BitBtnImportLessons = button(panel, "BitBtnImportLessons", QRect(12, 116, 130, 30), BitBtnImportLessonsClick);
    l.BitBtnImportLessons->setIcon(panel->style()->standardIcon(QStyle::SP_DialogOpenButton));
    l.MemoImportLessons = make<QPlainTextEdit>(panel, "MemoImportLessons", QRect(12, 152, 330, 256));
    l.MemoImportLessons->setReadOnly(true);
    l.MemoImportLessons->setLineWrapMode(QPlainTextEdit::NoWrap);
    NameAfter(l.MemoImportLessons, importTitle);
    l.LabelEnterNumLesson = label(panel, "LabelEnterNumLesson", QRect(354, 152, 174, 40), true);
    l.EditImportLessonNum = make<QLineEdit>(panel, "EditImportLessonNum", QRect(354, 196, 50, 24));
    l.EditImportLessonNum->setMaxLength(2);
    NameAfter(l.EditImportLessonNum, l.LabelEnterNumLesson);
    l.BitBtnOKImportLessons = button(panel, "BitBtnOKImportLessons", QRect(354, 340, 84, 30), BitBtnOKImportLessonsClick);
    l.BitBtnCancelImport = button(panel, "BitBtnCancelImport", QRect(444, 340, 84, 30), BitBtnCancelImportClick);
}
