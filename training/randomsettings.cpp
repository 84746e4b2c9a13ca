// The settings keys of random practice, and the fix-ups that apply the chosen set after the
// last line (the set needs the local characters and the word list read first).

#include "engine/cp1252.h"
#include "shell/datafolders.h"
#include "shell/mainwindow.h"
#include "shell/settingskeys.h"
#include "shell/summaries.h"
#include "shell/utilities.h"
#include "training/randominternal.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSpinBox>

namespace {

using Values = std::vector<std::string>;

// RANDOM= values of the set items; 7 is the own choice (applied through its text), 8 the exam.
enum RandomChoice { ChoiceNone = 0, ChoiceOwn = 7, ChoiceExam = 8, ChoiceWords = 9 };

// Fix-up places (the settings file's order).
constexpr int WordListFallbackFixUp = 7;
constexpr int ChosenCharactersFixUp = 11;
constexpr int RandomChoiceFixUp = 12;

// A toggling item read as "on": clicked only when it is off, so repeated lines agree.
void switchOn(QAction *item)
{
    if (!item->isChecked())
        ClickMenuItem(item);
}

std::string flag(bool on)
{
    return on ? "1" : "0";
}

QString fromSetting(const std::string &value)
{
    return cp1252::toQString(value);
}

// MENUHIDE= and its kin: the item and its pop-up twin.
SettingsRegistry::Row twinRow(std::string_view key, QAction *RandomModule::*item, QAction *RandomModule::*twin)
{
    return {key,
            [item, twin](const std::string &value) {
                if (value != "1")
                    return;
                (RandomModuleState().*item)->setChecked(true);
                (RandomModuleState().*twin)->setChecked(true);
            },
            [item](Values &out) { out.push_back(flag((RandomModuleState().*item)->isChecked())); }};
}

int checkedChoice(const RandomModule &r)
{
    for (std::size_t i = 0; i < r.SetItems.size(); ++i) {
        if (r.SetItems[i]->isChecked())
            return static_cast<int>(i) + 1;
    }
    if (r.MenuChoixCaracteres->isChecked())
        return ChoiceOwn;
    if (auto *exam = RandomForm().findChild<QAction *>(QStringLiteral("menuExamen")); exam && exam->isChecked())
        return ChoiceExam;
    if (r.MenuListWords->isChecked())
        return ChoiceWords;
    return ChoiceNone;
}

void applyRandomChoice(RandomModule &r)
{
    const int choice = r.PendingRandomChoice;
    if (choice >= 1 && choice <= static_cast<int>(r.SetItems.size())) {
        ClickMenuItem(r.SetItems[static_cast<std::size_t>(choice - 1)]);
    } else if (choice == ChoiceExam) {
        ClickNamed(&RandomForm(), "menuExamen");
    } else if (choice == ChoiceWords) {
        ClickMenuItem(r.MenuListWords);
    } else {
        // Nothing clicked: a fixed set still takes in the local characters read since.
        for (RandomSet set : {RandomSet::Local, RandomSet::All}) {
            if (r.SetItems[static_cast<int>(set)]->isChecked())
                SelectSet(RandomForm().EngineSets, set);
        }
    }
}

} // namespace

void BindRandomSettings(RandomModule &r)
{
    SettingsRegistry &settings = Settings();
    settings.bind({
        {"RANDOM_COUNT=",
         [&r](const std::string &value) {
             if (auto n = settings::ParseInt(value))
                 r.SpinEditRandomNumber->setValue(*n);
         },
         [&r](Values &out) { out.push_back(std::to_string(r.SpinEditRandomNumber->value())); }},
        {"WORDS=",
         [&r](const std::string &value) {
             const auto n = settings::ParseInt(value);
             if (n == 0)
                 ClickMenuItem(r.MenuRandomWords);
             else if (n && *n >= 2 && *n <= 8)
                 ClickMenuItem(r.MenuFixedWords[static_cast<std::size_t>(*n - 2)]);
         },
         [&r](Values &out) {
             for (int n = 2; n <= 8; ++n) {
                 if (r.MenuFixedWords[static_cast<std::size_t>(n - 2)]->isChecked()) {
                     out.push_back(std::to_string(n));
                     return;
                 }
             }
             out.push_back("0");
         }},
        {"MIXED=",
         [&r](const std::string &value) {
             if (value == "ON")
                 switchOn(r.MenuWordContent);
             else if (value == "CALL")
                 switchOn(r.menuCallsigns);
         },
         [&r](Values &out) {
             out.push_back(r.MenuWordContent->isChecked() ? "ON" : !r.menuCallsigns->isChecked() ? "OFF" : "CALL");
         }},
        {"VVVVV=",
         [&r](const std::string &value) {
             if (value == "ON")
                 switchOn(r.MenuAddV);
         },
         [&r](Values &out) { out.push_back(r.MenuAddV->isChecked() ? "ON" : "OFF"); }},
        {"RANDOM=",
         [&r](const std::string &value) {
             if (auto n = settings::ParseInt(value))
                 r.PendingRandomChoice = *n;
         },
         [&r](Values &out) {
             if (const int choice = checkedChoice(r); choice != ChoiceNone)
                 out.push_back(std::to_string(choice));
         }},
        {"DELAY_RANDOM=",
         [&r](const std::string &value) {
             const auto n = settings::ParseInt(value);
             if (!n || *n < 1 || *n > 5)
                 return;
             MenuDelaiRandomClick(*n);
             r.MenuDelaiRandom->setChecked(true);
         },
         [&r](Values &out) {
             for (int n = 1; n <= 5; ++n) {
                 if (r.MenuDelaiRandomItems[static_cast<std::size_t>(n)]->isChecked())
                     out.push_back(std::to_string(n));
             }
         }},
        {"LCASE=",
         [&r](const std::string &value) {
             if (value == "1")
                 switchOn(r.menulowercase);
         },
         [&r](Values &out) { out.push_back(flag(r.menulowercase->isChecked())); }},
        {"LISTW=",
         [&r](const std::string &value) {
             const QString path = fromSetting(value);
             r.WordListFile = !path.isEmpty() && QFileInfo::exists(path) ? path : QString();
         },
         [&r](Values &out) { out.push_back(cp1252::fromQString(r.WordListFile)); }},
        {"CHOSEN_CHAR=",
         [&r](const std::string &value) {
             r.LessonText = settings::ClipChosenCharacters(value);
             r.BoxCaracteresChoix->lineEdit()->setText(cp1252::toQString(r.LessonText));
         },
         [&r](Values &out) {
             const std::string text = cp1252::fromQString(r.BoxCaracteresChoix->currentText());
             if (!text.empty() && text.front() != ' ')
                 out.push_back(text);
         }},
        {"REPLAYRANDOM=",
         [&r](const std::string &value) {
             if (value == "1")
                 r.MenuReplayRandom->setChecked(true);
         },
         [&r](Values &out) {
             if (r.MenuReplayRandom->isChecked())
                 out.push_back("1");
         }},
        {"DIRLASTLIST=", [&r](const std::string &value) { r.WordListFolder = fromSetting(value); },
         [&r](Values &out) {
             if (!r.WordListFolder.isEmpty() && QDir(r.WordListFolder) != QDir(DataFolder()))
                 out.push_back(cp1252::fromQString(r.WordListFolder));
         }},
        twinRow("MENUHIDE=", &RandomModule::MenuHide, &RandomModule::PopHideRandomA),
        twinRow("MENUSHOW=", &RandomModule::menuShow, &RandomModule::PopShowRandomA),
        twinRow("MENUHIDEFILE=", &RandomModule::MenuCacherText, &RandomModule::PopHideFileA),
        twinRow("MENUSHOWFILE=", &RandomModule::menuMontrerText, &RandomModule::PopShowFileA),
    });

    settings.addReadStart("random: pending set", [&r] { r.PendingRandomChoice = ChoiceNone; });
    // The word list chosen without a list file would open the file dialog in the middle of
    // start-up: all the characters are chosen instead.
    settings.addFixUp(WordListFallbackFixUp, "random: no word list", [&r] {
        if (r.PendingRandomChoice == ChoiceWords && r.WordListFile.isEmpty())
            r.PendingRandomChoice = static_cast<int>(RandomSet::All) + 1;
    });
    settings.addFixUp(ChosenCharactersFixUp, "random: chosen characters", [&r] {
        const std::string text = cp1252::fromQString(r.BoxCaracteresChoix->currentText());
        if (!text.empty() && text != " ")
            ButtonChoixCaractereOKClick(r.ButtonChoixCaractereOK);
    });
    settings.addFixUp(RandomChoiceFixUp, "random: set", [&r] {
        applyRandomChoice(r);
        UpdateRandomSummary();
    });
}
