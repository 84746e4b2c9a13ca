#pragma once

// Lessons: the Koch set and the user's local set of 60 lessons, listed 20 to a page in the
// character-choice box of random practice (pages by buttons, keys, wheel; a right click edits
// the lesson), the lesson settings panel (editing a local lesson, the Koch order, which set
// is active, reset, Exit and Cancel) and the import of lessons from a text file. Choosing a
// lesson hands its text to the choice box's OK (random practice), which makes it the
// character window of random groups and the quiz. The lessons as data are in lessoncore.h.

#include "training/lessoncore.h"

class QObject;
class TForm1;

// The module's build (the program's module list).
void BuildLessonsModule(TForm1 &form);

// The lesson tables and the page the box lists.
const lessons::LessonTable &LocalLessons();
const lessons::LessonTable &KochLessons();
int LessonPage();

// ---- Handlers ---------------------------------------------------------------------------------

// The choice box's lesson list
void SpeedButtonChoixMoinsClick(QObject *sender = nullptr);
void SpeedButtonChoixPlusClick(QObject *sender = nullptr);
void BoxCaracteresChoixClick(QObject *sender = nullptr);
void BoxCaracteresChoixDblClick(QObject *sender = nullptr);
void BoxCaracteresChoixContextPopup(QObject *sender = nullptr);
// Up or Down in the box (`alt` with the Alt key): true when the key was used here.
bool BoxCaracteresChoixKeyDown(bool up, bool alt);
// The wheel over the box (positive delta: away from the user). Always consumed.
void BoxCaracteresChoixWheel(int delta);
void ButtonChangeLessonClick(QObject *sender = nullptr);

// The lesson settings panel
void MenuLocallessonClick(QObject *sender = nullptr);
void EditNumeroLessonChange(QObject *sender = nullptr);
void EditCaractereLessonChange(QObject *sender = nullptr);
void ButtonLocalLessonEnterClick(QObject *sender = nullptr);
void ButtonLocalLessonExitClick(QObject *sender = nullptr);
void BitBtnCancelKOCHClick(QObject *sender = nullptr);
void editkochlistChange(QObject *sender = nullptr);
void BitBtnDefaultKochClick(QObject *sender = nullptr);
void CheckBoxKOCHClick(QObject *sender = nullptr);
void CheckBoxLOCALClick(QObject *sender = nullptr);
void SpeedButtonResetLessonsClick(QObject *sender = nullptr);

// The import panel
void MenuImportlessonsClick(QObject *sender = nullptr);
void BitBtnCancelImportClick(QObject *sender = nullptr);
void BitBtnImportLessonsClick(QObject *sender = nullptr);
void BitBtnOKImportLessonsClick(QObject *sender = nullptr);
