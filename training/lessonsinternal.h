#pragma once

// The lessons module's controls and state, shared by its files (lessons.cpp: the lesson pages
// of the choice box, the settings keys and start-up; lessonpanels.cpp: the lesson settings and
// import panels; lessontexts.cpp: the texts).

#include "training/lessoncore.h"
#include "training/lessons.h"

#include <QPointer>
#include <QString>

#include <array>
#include <span>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
struct TextRow;

struct LessonsModule {
    QPointer<TForm1> form;

    lessons::LessonTable LocalLessons = lessons::DefaultLocalLessons();
    lessons::LessonTable KochLessons = lessons::BuildKochLessons(lessons::KochOrderDefault).lessons;
    int LessonPage = 1;
    int LessonEditNumber = 0; // the lesson being edited, 0 = none

    // What the lesson settings panel found when it opened (Cancel puts it back).
    struct Snapshot {
        QString kochOrder;
        QString boxText;
        int page = 1;
        int pageShown = 1;
        int boxIndex = -1;
        bool koch = false;
    } snapshot;
    bool KochOrderEdited = false;
    bool LessonSetSwitched = false;

    // The lessons read by the import, waiting to be placed.
    std::vector<std::string> Imported;
    bool Flashing = false;
    // The folder of the last imported file, for this run only.
    QString ImportFolder;

    // The choice panel's lesson list
    QListView *BoxCaracteresChoixList = nullptr; // the box's list, always shown
    QToolButton *SpeedButtonChoixMoins = nullptr;
    QToolButton *SpeedButtonChoixPlus = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *ButtonSetLesson = nullptr;
    QPushButton *ButtonChangeLesson = nullptr;
    QAction *MenuLocallesson = nullptr;
    QAction *MenuImportlessons = nullptr;

    // The lesson settings panel
    QFrame *PanelLocalLesson = nullptr;
    QGroupBox *PanelMyLessons = nullptr;
    QGroupBox *PanelKochLesson = nullptr;
    QCheckBox *CheckBoxLOCAL = nullptr;
    QCheckBox *CheckBoxKOCH = nullptr;
    QLineEdit *EditNumeroLesson = nullptr;
    QLineEdit *EditCaractereLesson = nullptr;
    QLineEdit *editkochlist = nullptr;
    QPushButton *ButtonLocalLessonEnter = nullptr;
    QPushButton *ButtonLocalLessonExit = nullptr;
    QPushButton *ButtonKochExit = nullptr;
    QPushButton *BitBtnCancelKOCH = nullptr;
    QPushButton *BitBtnDefaultKoch = nullptr;
    QToolButton *SpeedButtonResetLessons = nullptr;
    QPushButton *BitBtnLocalLessonImport = nullptr;
    QLabel *LabelCurrentLessonSet = nullptr;

    // The import panel
    QFrame *PanelImportLessons = nullptr;
    QPlainTextEdit *MemoImportLessons = nullptr;
    QLineEdit *EditImportLessonNum = nullptr;
    QLabel *LabelEnterNumLesson = nullptr;
    QLabel *LabelWarningFile = nullptr;
    QPushButton *BitBtnImportLessons = nullptr;
    QPushButton *BitBtnOKImportLessons = nullptr;
    QPushButton *BitBtnCancelImport = nullptr;
};

LessonsModule &LessonsState();

// Building (lessons.cpp, lessonpanels.cpp)
void BuildLessonList(LessonsModule &m);
void BuildLessonPanel(LessonsModule &m);
void BuildImportPanel(LessonsModule &m);
void BindLessonSettings(LessonsModule &m);

// The lessons of the active set (Koch or local).
bool KochActive();
const lessons::LessonTable &ActiveLessons();
// The choice box lists a page of the active set: its 20 items, the page label and the page
// buttons; the box's text stays as it was.
void ShowLessonPage(int page);
// One item of the box shows a lesson (its text stays as it was).
void SetBoxItem(int item, const std::string &lesson);
// The choice box's text and selected item.
QString BoxText();
void SetBoxText(const QString &text);
int BoxIndex();
void SelectBoxItem(int item);
// The item remembered when a lesson was chosen (LessonBoxIndex) and its page (LessonPageShown).
int &RememberedBoxIndex();
int &RememberedPage();
// The caption of the label that shows the active set.
void ShowLessonSetCaption();

// Texts (lessontexts.cpp)
std::span<const TextRow> LessonTextRows();
