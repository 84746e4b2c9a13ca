#pragma once

// Random practice: the character sets and group options of the random options menu, the
// character-choice panel, and the random group box where series of random groups (or random
// words of a word list) are played, counted down, continued after Stop, replayed, generated
// at once without sound (quick series), cleared and saved. The generator itself is plain C++
// (training/randomseries.h); this module is its window.
//
// The quiz and the lessons take their characters from the window chosen here
// (Form1->EngineSets); the exam drives the series through RandomGroups().

#include "training/randomseries.h"
#include "training/randomsets.h"

#include <QString>

#include <functional>
#include <string>

class QObject;
class TForm1;

// The module's build (the program's module list).
void BuildRandomModule(TForm1 &form);

// The series engine of the random group box.
RandomSeries &RandomGroups();

// The word list in use (WordListFile, empty = none) and the folder its dialog opens in.
QString RandomWordListFile();

// The lesson page of the choice box is put back by Cancel (the lessons fill this in; empty
// while there are no lesson pages).
std::function<void(int page)> &RestoreLessonPage();

// The exam's part in Play and in entering random mode (the exam fills these in; empty while
// there is no exam).
struct RandomExamHooks {
    // Play with the exam chosen: false when nothing may start.
    std::function<bool()> beforePlay;
    // Random mode entered with the exam chosen: the exam's fixed settings.
    std::function<void()> modeEntered;
};
RandomExamHooks &RandomExam();

// ---- Handlers: character sets and options ----------------------------------------------------

void SetItemClick(RandomSet set);
void MenuLettersClick(QObject *sender = nullptr);
void MenuFiguresClick(QObject *sender = nullptr);
void MenuStopsClick(QObject *sender = nullptr);
void MenuLocalClick(QObject *sender = nullptr);
void MenuLettersFiguresClick(QObject *sender = nullptr);
void MenuAllClick(QObject *sender = nullptr);
void MenuChoixCaracteresClick(QObject *sender = nullptr);
void ButtonChoixCaractereOKClick(QObject *sender = nullptr);
void ButtonCancelChoixClick(QObject *sender = nullptr);
void MenuListWordsClick(QObject *sender = nullptr);
void MenuAddVClick(QObject *sender = nullptr);
void MenuFixedWordsClick(int length);
void MenuRandomWordsClick(QObject *sender = nullptr);
void MenuWordContentClick(QObject *sender = nullptr);
void menuCallsignsClick(QObject *sender = nullptr);
void ButtonHideClick(QObject *sender = nullptr);
void SpeedButtonRandomCaseClick(QObject *sender = nullptr);
void menulowercaseClick(QObject *sender = nullptr);
void MenuDelaiRandomClick(int seconds);
void ButtonRetardRandomClick(int seconds);

// ---- Handlers: the series ------------------------------------------------------------------------

// Entry into random mode (RadioButtonRandom, ButtonChoixRandom, start-up's last mode).
void ButtonChoixRandomClick(QObject *sender = nullptr);
// Start or continue a series.
void BitBtnPlayRandomClick(QObject *sender = nullptr);
// The generator step.
void RadioButtonRandomClick(QObject *sender = nullptr);
void BitBtnStopRandomClick(QObject *sender = nullptr);
void MenuQuickRandomClick(QObject *sender = nullptr);
void ClearMemoRandomClick(QObject *sender = nullptr);
void SaveMemoRandom1Click(QObject *sender = nullptr);
// Right click on Play with MenuReplayRandom checked.
void ReplaySeriesText();
void UpdatePlayRandomHint();
// Enter and Escape in the memo; Key 0 afterwards when the key was used.
void MemoRandomKeyPress(QObject *sender, int &Key);
