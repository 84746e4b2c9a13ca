// Typing practice as the user meets it: keys typed into the program's own typing box, the
// queue they fill and the buffers the engine renders from them (fake sound output).

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/cp1252.h"
#include "engine/morsecode.h"
#include "engine/timing.h"
#include "shell/mainwindow.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "training/shortcuts.h"
#include "training/typing.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QComboBox>
#include <QFrame>
#include <QInputMethodEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every window of this test program gets the fake output, before the first one is made.
const bool fakeSound = shelltest::useFakeSound();

// Lengths in values at 12 wpm: dot and gap 4166, dash 12500; a character is its elements each
// with one gap, then the character space of 2 gaps.
constexpr std::size_t Dot = 4166, Dash = 12500, Gap = 4166;
std::size_t charValues(const std::string &code, std::size_t dot = Dot, std::size_t dash = Dash,
                       std::size_t gap = Gap)
{
    std::size_t n = 2 * gap;
    for (char sign : code)
        n += (sign == '-' ? dash : dot) + gap;
    return n;
}
std::size_t letter(char c)
{
    return charValues(std::string(MorseCodes[c]));
}

using shelltest::fake;

std::vector<std::size_t> lengths()
{
    std::vector<std::size_t> out;
    for (const auto &b : fake().written)
        out.push_back(b.values.size());
    return out;
}

using shelltest::control;

QString cp(const char *cp1252Text)
{
    return cp1252::toQString(cp1252Text);
}

class Typing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        shelltest::ensureWindows();
        Form1->show();
        box = control<QLineEdit>("Editcaractere");
        replay = control<QToolButton>("ButtonReplayText");
        clear = control<QToolButton>("SpeedButtonRAZtext");
        delayed = control<QAction>("MenuDelayedPlay");
        continuous = control<QAction>("MenuContinuous");
        ASSERT_TRUE(box && replay && clear && delayed && continuous);

        TSoundEngine &engine = SoundEngine();
        engine.State = EngineState{};
        engine.Timings.setSpeed(12);
        engine.Timings.setStartSilence(0);
        box->setFocus();
    }
    static EngineState &state() { return SoundEngine().State; }
    // Keys as the keyboard gives them: Qt's test helper for plain ASCII, events of our own
    // for the rest (it knows no other characters).
    void type(const QString &keys)
    {
        for (QChar ch : keys) {
            if (ch.unicode() < 0x80)
                QTest::keyClick(box, ch.toLatin1());
            else
                press(ch.unicode() <= 0xFF ? Qt::Key(ch.unicode()) : Qt::Key_unknown, QString(ch));
        }
    }
    void press(Qt::Key code, const QString &text)
    {
        QKeyEvent down(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(box, &down);
        QKeyEvent up(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(box, &up);
    }
    void key(Qt::Key k) { QTest::keyClick(box, k); }

    QLineEdit *box = nullptr;
    QToolButton *replay = nullptr;
    QToolButton *clear = nullptr;
    QAction *delayed = nullptr;
    QAction *continuous = nullptr;
};

TEST_F(Typing, ParisIsSentAsFiveCharactersOfTheirOwnLengths)
{
    SoundEngine().Timings.setStartSilence(3);
    type("paris");
    EXPECT_EQ(box->text(), "paris");
    // The first key starts the engine; the others wait in the queue behind it.
    EXPECT_EQ(state().PlayQueue, "paris");
    EXPECT_EQ(fake().written.size(), 1u);
    fake().finishAll();
    // A start silence of 3 gaps first: the text started a transmission.
    EXPECT_EQ(lengths(), std::vector<std::size_t>({3 * Gap, charValues(".--."), charValues(".-"),
                                                   charValues(".-."), charValues(".."), charValues("...")}));
    EXPECT_TRUE(state().PlayQueue.empty());
    EXPECT_TRUE(replay->isEnabled());
    EXPECT_TRUE(state().TypedTextSent);
}

TEST_F(Typing, KeysTypedWhileSendingGetNoStartSilenceOfTheirOwn)
{
    SoundEngine().Timings.setStartSilence(3);
    type("e");
    fake().finishNext(); // the start silence ends, the e sounds
    type("e");
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({3 * Gap, letter('e'), letter('e')}));
}

TEST_F(Typing, AShortcutPutsItsTextIntoTheBoxAtTheCaretAndSendsIt)
{
    Shortcuts[1] = "\xE7"; // ç
    Shortcuts[ShortcutCount + 1] = "HELLO";
    type("ab");
    fake().finishAll();
    fake().written.clear();
    box->setCursorPosition(1);
    type(cp("\xE7"));
    EXPECT_EQ(box->text(), "aHELLOb");
    EXPECT_EQ(box->cursorPosition(), 6);
    EXPECT_EQ(state().PlayQueue, "HELLO");
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('H'), letter('E'), letter('L'), letter('L'), letter('O')}));

    // Typed on, the box keeps what it shows.
    type("c");
    EXPECT_EQ(box->text(), "aHELLOcb");
}

TEST_F(Typing, AShortcutOverACharacterWithACodeIsNotExpanded)
{
    Shortcuts[3] = "!";
    Shortcuts[ShortcutCount + 3] = "XY";
    type("!");
    EXPECT_EQ(box->text(), "!");
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({charValues("-.-.--")}));
}

TEST_F(Typing, AShortcutInsideAShortcutsTextIsDroppedNotExpanded)
{
    Shortcuts[1] = "\xE7"; // ç -> "§b", § -> "ç": each names the other
    Shortcuts[ShortcutCount + 1] = "\xA7" "b";
    Shortcuts[2] = "\xA7";
    Shortcuts[ShortcutCount + 2] = "\xE7" "e";
    type(cp("\xE7"));
    EXPECT_EQ(state().PlayQueue, "b");
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('b')}));
}

TEST_F(Typing, TheLastOfTwoShortcutsOfOneCharacterWins)
{
    Shortcuts[1] = "\xE7";
    Shortcuts[ShortcutCount + 1] = "A";
    Shortcuts[5] = "\xE7";
    Shortcuts[ShortcutCount + 5] = "T";
    type(cp("\xE7"));
    EXPECT_EQ(box->text(), "T");
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('T')}));
}

TEST_F(Typing, AShortcutHandedInByAnotherWindowIsQueuedButNeverChangesTheBox)
{
    Shortcuts[1] = "\xE7";
    Shortcuts[ShortcutCount + 1] = "HELLO";
    type("ab");
    fake().finishAll();
    unsigned char key = 0xE7;
    EditCaractereKeyPress(nullptr, key); // as the zoom view hands a key over
    EXPECT_EQ(state().PlayQueue, "HELLO");
    EXPECT_EQ(box->text(), "ab");
    // The next key of the box's own is not turned into the shortcut's text.
    type("c");
    EXPECT_EQ(box->text(), "abc");
    fake().finishAll();
    EXPECT_EQ(fake().written.size(), 2u + 5u + 1u);
}

TEST_F(Typing, DelayedPlaySendsNothingUntilReplay)
{
    delayed->trigger();
    ASSERT_TRUE(delayed->isChecked());
    type("ee");
    EXPECT_EQ(box->text(), "ee");
    EXPECT_TRUE(state().PlayQueue.empty());
    EXPECT_TRUE(fake().written.empty());
    ASSERT_TRUE(replay->isEnabled());
    replay->click();
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('e'), letter('e')}));
}

// A screen reader presses the speed button through the accessibility bus: the typed text is
// replayed as by a click.
TEST_F(Typing, DelayedPlayIsReplayedByAScreenReadersPress)
{
    delayed->trigger();
    type("ee");
    ASSERT_TRUE(state().PlayQueue.empty());
    ASSERT_TRUE(testsupport::pressAccessibly(replay));
    EXPECT_EQ(state().PlayQueue, "ee");
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('e'), letter('e')}));
}

TEST_F(Typing, DelayedPlayEmptiesTheWholeQueue)
{
    type("ttt");
    delayed->trigger();
    type("e");
    EXPECT_TRUE(state().PlayQueue.empty());
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('t')})); // only the one in flight
}

TEST_F(Typing, BackspaceTakesBackTheLastQueuedCharacterAndTheBoxsLast)
{
    type("eit");
    key(Qt::Key_Backspace);
    EXPECT_EQ(box->text(), "ei");
    EXPECT_EQ(state().PlayQueue, "ei");
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('e'), letter('i')}));

    // On an empty queue only the box loses its character.
    key(Qt::Key_Backspace);
    EXPECT_EQ(box->text(), "e");
    EXPECT_TRUE(state().PlayQueue.empty());
}

TEST_F(Typing, AKeyTypedAfterBackspacingTheSoundingDashIsSentAfterIt)
{
    control<QSpinBox>("UpDownVitesse")->setValue(5);
    ASSERT_EQ(SoundEngine().Timings.Speed(), 5);
    type("t");
    key(Qt::Key_Backspace); // the dash is sounding: it plays to its end
    type("e");
    EXPECT_EQ(fake().written.size(), 1u);
    fake().finishAll();
    // 5 wpm: dash 30000 values, dot and gap 10000.
    EXPECT_EQ(lengths(), std::vector<std::size_t>({charValues("-", 10000, 30000, 10000),
                                                   charValues(".", 10000, 30000, 10000)}));
    control<QSpinBox>("UpDownVitesse")->setValue(12);
}

TEST_F(Typing, ReplaySelectsTheCharactersSentSoFar)
{
    delayed->trigger();
    type("abc");
    delayed->trigger();
    replay->click();
    EXPECT_TRUE(state().ReplayingTypedText);
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_TRUE(replay->isChecked());
    EXPECT_FALSE(Form1->RadioButtonAlphabet->isEnabled());
    EXPECT_FALSE(Form1->ButtonStop->isHidden());
    EXPECT_EQ(box->selectedText(), "a");
    fake().finishNext();
    EXPECT_EQ(box->selectedText(), "ab");
    // Keys are ignored while the box replays.
    type("x");
    EXPECT_EQ(box->text(), "abc");
    fake().finishAll();
    EXPECT_FALSE(state().ReplayingTypedText);
    EXPECT_FALSE(box->isReadOnly());
    EXPECT_FALSE(replay->isChecked());
    EXPECT_TRUE(Form1->RadioButtonAlphabet->isEnabled());
    EXPECT_EQ(box->cursorPosition(), 3);
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('a'), letter('b'), letter('c')}));
}

TEST_F(Typing, ReplayWhileAnotherTextIsSentOnlyPopsTheButtonUp)
{
    delayed->trigger();
    type("ee");
    delayed->trigger();
    state().PlayQueue = "t";
    Form1->Button1->click();
    replay->click();
    EXPECT_FALSE(replay->isChecked());
    EXPECT_EQ(state().PlayQueue, "t");
    EXPECT_FALSE(state().ReplayingTypedText);
}

TEST_F(Typing, StopDuringAReplayOffersResumeAtTheNextUnsentCharacter)
{
    delayed->trigger();
    type("eish");
    delayed->trigger();
    replay->click();
    fake().finishNext(); // e sent, i sounding
    Form1->ButtonStop->click();
    EXPECT_EQ(state().TypedText, "sh");
    EXPECT_EQ(replay->text(), "Resume &Text");
    EXPECT_FALSE(TypingReplay);
    fake().finishAll(); // the i plays to its end
    EXPECT_FALSE(box->isReadOnly());
    EXPECT_EQ(box->selectedText(), "ei");
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('e'), letter('i')}));

    // The selection takes in the character being sent.
    fake().written.clear();
    replay->click();
    EXPECT_EQ(box->selectedText(), "eis");
    fake().finishNext();
    EXPECT_EQ(box->selectedText(), "eish");
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('s'), letter('h')}));
    EXPECT_EQ(replay->text(), "Replay &Text");
    EXPECT_TRUE(TypingReplay);
}

TEST_F(Typing, AnEditOfTheBoxForgetsTheStoppedRest)
{
    delayed->trigger();
    type("eish");
    delayed->trigger();
    replay->click();
    Form1->ButtonStop->click();
    fake().finishAll();
    ASSERT_FALSE(state().TypedText.empty());
    type("e");
    EXPECT_TRUE(state().TypedText.empty());
    EXPECT_EQ(replay->text(), "Replay &Text");
}

TEST_F(Typing, ContinuousReplayPlaysAgainAfterItsPauseUntilStopped)
{
    continuous->setChecked(true);
    Form1->TimerBoucle->setInterval(30);
    delayed->trigger();
    type("e");
    delayed->trigger();
    replay->click();
    EXPECT_EQ(state().PlayQueue, "e ");
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('e'), 6 * Gap}));
    // The pass has ended: the pause runs, the replay button stays down.
    EXPECT_TRUE(Form1->TimerBoucle->isActive());
    EXPECT_FALSE(state().ReplayingTypedText);
    EXPECT_TRUE(replay->isChecked());
    ASSERT_TRUE(testsupport::waitFor([] { return fake().written.size() == 3; }, 2000));
    EXPECT_TRUE(state().ReplayingTypedText);

    // Stop during the blank at the end of a pass ends the loop.
    fake().finishNext();
    Form1->ButtonStop->click();
    fake().finishAll();
    testsupport::waitFor([] { return false; }, 150);
    EXPECT_EQ(fake().written.size(), 4u);
    EXPECT_FALSE(Form1->TimerBoucle->isActive());
    EXPECT_FALSE(box->isReadOnly());
    EXPECT_TRUE(replay->isEnabled());
}

TEST_F(Typing, TheRepeatLoopAlwaysHasAPauseAndItsMenuShowsIt)
{
    auto item = [](const char *name) { return control<QAction>(name); };
    Form1->TimerBoucle->setInterval(1000);
    // The shortcut alone turns the loop on with the first wait, shown in the submenu.
    continuous->trigger();
    EXPECT_TRUE(continuous->isChecked());
    EXPECT_TRUE(item("MenuStanby1s")->isChecked());
    EXPECT_EQ(Form1->TimerBoucle->interval(), 1000);

    item("MenuStandby60s")->trigger();
    EXPECT_EQ(Form1->TimerBoucle->interval(), 60000);
    EXPECT_FALSE(item("MenuStanby1s")->isChecked());

    // Off through "Nil", then on again by the shortcut: the last wait chosen comes back.
    Form1->TimerBoucle->start();
    item("MenuNoBoucle")->trigger();
    EXPECT_FALSE(continuous->isChecked());
    EXPECT_FALSE(Form1->TimerBoucle->isActive());
    continuous->trigger();
    EXPECT_TRUE(item("MenuStandby60s")->isChecked());
    EXPECT_EQ(Form1->TimerBoucle->interval(), 60000);
    item("MenuNoBoucle")->trigger();
}

TEST_F(Typing, TheReplaySelectionPassesOverCharactersThatCannotBeSent)
{
    delayed->trigger();
    type(QString::fromUtf8("aжb"));
    delayed->trigger();
    replay->click();
    EXPECT_EQ(state().PlayQueue, "ab");
    EXPECT_EQ(box->selectedText(), "a");
    fake().finishNext(); // b sounding: the letter it passed over is taken in
    EXPECT_EQ(box->selectedText(), QString::fromUtf8("aжb"));
    fake().finishAll();
}

TEST_F(Typing, ClearEmptiesTheQueueOnlyOfWhatTypingSent)
{
    type("ttt");
    clear->click();
    EXPECT_TRUE(box->text().isEmpty());
    EXPECT_TRUE(state().PlayQueue.empty());
    EXPECT_FALSE(replay->isEnabled());
    fake().finishAll();
    EXPECT_EQ(fake().written.size(), 1u);

    // After Stop, another mode's text is left alone by clearing the box.
    Form1->ButtonStop->click();
    fake().written.clear();
    box->setText("abc");
    state().PlayQueue = "ee";
    Form1->Button1->click();
    clear->click();
    EXPECT_EQ(state().PlayQueue, "ee");
    fake().finishAll();
    EXPECT_EQ(fake().written.size(), 2u);
}

TEST_F(Typing, TheTransmitDelayHoldsTheFirstCharacter)
{
    SoundEngine().Timings.setStartSilence(3);
    Form1->TimerTXDelay->start(60); // PTT has just gone up
    type("e");
    EXPECT_TRUE(fake().written.empty());
    ASSERT_TRUE(testsupport::waitFor([] { return !fake().written.empty(); }, 2000));
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({3 * Gap, letter('e')}));
}

TEST_F(Typing, KeysThatAreNeverQueued)
{
    // Dead keys and the accents alone, Enter, and a character no code page byte can hold.
    press(Qt::Key_Dead_Circumflex, QString());
    for (const char *accent : {"^", "~", "`", "\xA8"})
        type(cp(accent));
    EXPECT_TRUE(state().PlayQueue.empty());
    EXPECT_TRUE(fake().written.empty());
    key(Qt::Key_Return);
    EXPECT_TRUE(fake().written.empty());

    box->clear();
    type(QString::fromUtf8("\u0151")); // ő
    EXPECT_EQ(box->text(), QString::fromUtf8("\u0151"));
    EXPECT_TRUE(state().PlayQueue.empty());
    EXPECT_TRUE(fake().written.empty());
    EXPECT_TRUE(state().PlaybackDone);
}

TEST_F(Typing, AKeyWithoutACodeStaysInTheBoxAndIsDropped)
{
    type("e#e");
    EXPECT_EQ(box->text(), "e#e");
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('e'), letter('e')}));
}

TEST_F(Typing, KidTargetIsTheBoxWithoutBlanksInLowerCase)
{
    delayed->trigger();
    type(cp("He llo W\xC9"));
    EXPECT_EQ(KidTargetText, "hellow\xC9");
    box->clear();
    EXPECT_EQ(KidTargetText, "");
}

struct NavigationCase {
    const char *name;
    int from;
    Qt::Key key;
    int to;
};

void PrintTo(const NavigationCase &c, std::ostream *os)
{
    *os << c.name;
}

class ListNavigation : public Typing, public ::testing::WithParamInterface<NavigationCase> {};

TEST_P(ListNavigation, ArrowKeysMoveTheSelectionOfTheVisibleList)
{
    const NavigationCase &c = GetParam();
    auto *list = control<QListWidget>("ListAlphabet"); // the character list: 154 rows
    ASSERT_NE(list, nullptr);
    ASSERT_FALSE(list->isHidden());
    list->setCurrentRow(c.from);
    box->setText("xyz");
    box->setCursorPosition(1);
    key(c.key);
    EXPECT_EQ(list->currentRow(), c.to);
    EXPECT_EQ(box->cursorPosition(), 1); // the box's caret does not move
}

INSTANTIATE_TEST_SUITE_P(
    ColumnsOf31, ListNavigation,
    ::testing::Values(NavigationCase{"DownMoves", 5, Qt::Key_Down, 6},
                      NavigationCase{"DownStopsAtTheLast", 153, Qt::Key_Down, 153},
                      NavigationCase{"UpMoves", 5, Qt::Key_Up, 4},
                      NavigationCase{"UpStopsAtTheFirst", 0, Qt::Key_Up, 0},
                      NavigationCase{"RightToTheSecondColumn", 5, Qt::Key_Right, 31},
                      NavigationCase{"RightToTheFifthColumn", 100, Qt::Key_Right, 124},
                      NavigationCase{"RightInTheLastColumnStays", 130, Qt::Key_Right, 130},
                      NavigationCase{"LeftToTheFirstColumn", 40, Qt::Key_Left, 0},
                      NavigationCase{"LeftFromTheFifthColumn", 150, Qt::Key_Left, 93},
                      NavigationCase{"LeftInTheFirstColumnStays", 7, Qt::Key_Left, 7},
                      NavigationCase{"PageDownDoesNothing", 7, Qt::Key_PageDown, 7}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace {

// Enter goes to whichever panel asks for it first, and never into the queue.
TEST_F(Typing, EnterAnswersTheRandomPanelsInTheirOrder)
{
    auto *choice = control<QWidget>("PanelChoixRandom");
    auto *choiceBox = control<QComboBox>("BoxCaracteresChoix");
    auto *random = control<QWidget>("GroupBoxRandom");
    auto *play = control<QWidget>("BitBtnPlayRandom");
    auto *stop = control<QWidget>("BitBtnStopRandom");
    auto *enterStops = control<QAction>("MenuDiversEnter");
    ASSERT_TRUE(choice && choiceBox && random && play && stop && enterStops);
    choiceBox->setEditText("ab");
    choice->show();
    random->show();

    key(Qt::Key_Return); // the choice panel first: the typed choice is taken
    EXPECT_TRUE(choice->isHidden());
    EXPECT_TRUE(control<QAction>("MenuChoixCaracteres")->isChecked());
    EXPECT_TRUE(state().PlayQueue.empty());
    key(Qt::Key_Return); // then the random box: Play while it is offered
    EXPECT_TRUE(play->isHidden());
    EXPECT_FALSE(stop->isHidden());
    ASSERT_EQ(state().PlayQueue.size(), 1u);
    EXPECT_NE(std::string("ab").find(state().PlayQueue), std::string::npos);
    // The box is disabled while a series plays; another window hands its Enter to the handler.
    unsigned char enter = 13;
    EditCaractereKeyPress(nullptr, enter); // Stop only when the menu item says so
    EXPECT_FALSE(stop->isHidden());
    enterStops->setChecked(true);
    enter = 13;
    EditCaractereKeyPress(nullptr, enter);
    EXPECT_TRUE(stop->isHidden());
    EXPECT_FALSE(play->isHidden());
    EXPECT_TRUE(box->isEnabled());
    enterStops->setChecked(false);
    fake().finishAll();
    EXPECT_TRUE(box->text().isEmpty());
    random->hide();
    control<QAction>("MenuAll")->trigger();
}

TEST_F(Typing, EnterOpensANewLineOfTheMonitor)
{
    auto *memo = control<QPlainTextEdit>("MemoMonitor");
    ASSERT_NE(memo, nullptr);
    memo->setPlainText("CQ");
    key(Qt::Key_Return);
    EXPECT_EQ(memo->toPlainText(), "CQ\n");
    EXPECT_TRUE(state().PlayQueue.empty());
}

TEST_F(Typing, AComposedCharacterIsTypedLikeAKey)
{
    QInputMethodEvent composed;
    composed.setCommitString("e");
    QApplication::sendEvent(box, &composed);
    QInputMethodEvent accented;
    accented.setCommitString(QString::fromUtf8("\u00ea")); // ê: no code, kept in the box only
    QApplication::sendEvent(box, &accented);
    EXPECT_EQ(box->text(), QString::fromUtf8("e\u00ea"));
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({letter('e')}));
}

} // namespace
