// The engine's controls on the program's own main window, used as a user uses them: the
// local-character editor, the spacing panel, the Speed, Weight and Volume menus with their
// keys. Each checks the model and the next character the engine renders (fake output).

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/cp1252.h"
#include "engine/localcharacters.h"
#include "engine/morsecode.h"
#include "engine/timing.h"
#include "engine/tone.h"
#include "shell/formdialog.h"
#include "shell/languages/languages.h"
#include "shell/languages/messages.h"
#include "shell/localcharpanel.h"
#include "shell/mainwindow.h"
#include "shell/soundengine.h"
#include "shell/spacingpanel.h"
#include "shell/speedcontrol.h"
#include "training/shortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const bool fakeSound = shelltest::useFakeSound();

using shelltest::fake;

using shelltest::control;

QString text(unsigned char c)
{
    return cp1252::toQString(std::string(1, static_cast<char>(c)));
}

class EngineControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        shelltest::ensureWindows();
        Form1->setEnabled(true); // a quit tested before disables the window
        MessagesToStandardError = false;
        Form1->show();
        // The menus' keys reach the window that is active.
        Form1->activateWindow();
        ASSERT_TRUE(testsupport::waitFor([] { return QApplication::activeWindow() == Form1; }, 2000));
        TSoundEngine &engine = SoundEngine();
        fake().finishAll();
        engine.State = EngineState{};
        engine.Timings = Timing{};
        engine.Timings.setStartSilence(0);
        Form1->EngineSets = CharacterSets{};
        MorseCodes = DefaultMorseCodes;
        Shortcuts = {};
        fake().written.clear();
        local = LocalCharacterPanel();
        spacing = SpacingPanel();
        ASSERT_TRUE(local && spacing);
        ShowSpeedOfTimingModel();
        ClickMenu("Poids31");
        Form1->EngineTone.Tables.setLevel(DefaultLevel);
        Form1->EngineTone.Tables.BuildToneTables();
        ShowSpeedOfTimingModel();
    }
    void TearDown() override
    {
        local->ButtonLocalCaractereExitClick();
        spacing->BitBtnOKEspaceClick();
        ClickMenu("Poids31");
        fake().finishAll();
        SoundEngine().State.PlayQueue.clear();
        MorseCodes = DefaultMorseCodes;
    }
    static void ClickMenu(const char *name) { control<QAction>(name)->trigger(); }
    // The buffer the engine renders for one character (or blank), as it leaves the queue.
    static std::vector<std::int16_t> rendered(const std::string &character)
    {
        fake().written.clear();
        SoundEngine().State.PlayQueue += character;
        Form1->Button1->click();
        EXPECT_FALSE(fake().written.empty());
        std::vector<std::int16_t> values = fake().written.empty() ? std::vector<std::int16_t>{} : fake().written[0].values;
        fake().finishAll();
        return values;
    }
    // Keys as the keyboard gives them, one event with its text per character (the test
    // helper knows only Latin-1).
    static void typeInto(QWidget *widget, const QString &keys)
    {
        for (QChar ch : keys) {
            QKeyEvent down(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(widget, &down);
            QKeyEvent up(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(widget, &up);
        }
    }
    void typeCharacter(const QString &c)
    {
        local->EditLocalCharacter->setFocus();
        typeInto(local->EditLocalCharacter, c);
    }
    // Types a character, its code and comment into the editor and presses Enter.
    void enter(const QString &c, const char *code, const char *comment = "")
    {
        local->EditLocalCharacter->clear();
        typeCharacter(c);
        local->EditLocalCode->clear();
        QTest::keyClicks(local->EditLocalCode, QString::fromLatin1(code));
        local->EditLocalComment->clear();
        QTest::keyClicks(local->EditLocalComment, QString::fromLatin1(comment));
        QTest::mouseClick(local->ButtonLocalCaractereEnter, Qt::LeftButton);
    }
    static CharacterSets &sets() { return Form1->EngineSets; }

    TPanelLocalCharacters *local = nullptr;
    TPanelEspace *spacing = nullptr;
};

// ---- Local characters --------------------------------------------------------------------------

TEST_F(EngineControls, TheEditorRefusesBuiltInBlankAndShortcutCharacters)
{
    ClickMenu("MenuLocalCharacters");
    ASSERT_FALSE(local->isHidden());
    EXPECT_FALSE(control<QWidget>("ButtonQuizOK") && control<QWidget>("ButtonQuizOK")->isEnabled());

    const QColor normal = local->LabelLocalWarning->palette().color(QPalette::WindowText);
    typeCharacter(QStringLiteral("a"));
    EXPECT_TRUE(local->EditLocalCharacter->text().isEmpty());
    EXPECT_EQ(local->LabelLocalWarning->palette().color(QPalette::WindowText), QColor(Qt::red));
    // It blinks three times and ends in its own colour.
    EXPECT_TRUE(testsupport::waitFor(
        [&] { return local->LabelLocalWarning->palette().color(QPalette::WindowText) == normal; }, 2000));
    EXPECT_TRUE(testsupport::waitFor(
        [&] { return local->LabelLocalWarning->palette().color(QPalette::WindowText) == QColor(Qt::red); }, 2000));
    EXPECT_TRUE(testsupport::waitFor(
        [&] { return local->LabelLocalWarning->palette().color(QPalette::WindowText) == normal; }, 5000));

    Shortcuts[1] = "\xA7"; // §
    Shortcuts[ShortcutCount + 1] = "cq";
    for (const QString &refused : {QStringLiteral(" "), QStringLiteral("\u00A7"), QStringLiteral("\u0151")}) {
        typeCharacter(refused);
        EXPECT_TRUE(local->EditLocalCharacter->text().isEmpty()) << refused.toStdString();
        EXPECT_TRUE(local->RadioButtonLocalCreate->isEnabled());
        EXPECT_FALSE(local->RadioButtonLocalCreate->isChecked());
    }

    // An upper-case letter is taken in lower case and offered for creation.
    typeCharacter(QStringLiteral("\u00C4"));
    EXPECT_EQ(local->EditLocalCharacter->text(), QStringLiteral("\u00E4"));
    EXPECT_TRUE(local->RadioButtonLocalCreate->isChecked());
    EXPECT_FALSE(local->RadioButtonLocalDelete->isEnabled());
    EXPECT_FALSE(local->RadioButtonLocalModify->isEnabled());

    // Anything but dots and dashes leaves the code edit at once, the caret where it was typed.
    QTest::keyClicks(local->EditLocalCode, QStringLiteral("a.-"));
    local->EditLocalCode->setCursorPosition(1);
    QTest::keyClicks(local->EditLocalCode, QStringLiteral("x"));
    EXPECT_EQ(local->EditLocalCode->text(), QStringLiteral(".-"));
    EXPECT_EQ(local->EditLocalCode->cursorPosition(), 1);
}

TEST_F(EngineControls, ALocalCharacterSoundsInBothCasesUntilItIsDeleted)
{
    ClickMenu("MenuLocalCharacters");
    enter(QStringLiteral("\u00E4"), "-..", "umlaut");
    EXPECT_EQ(sets().LocalCount, 1);
    EXPECT_EQ(MorseCodes[static_cast<unsigned char>(0xE4)], "-..");
    EXPECT_EQ(MorseCodes[static_cast<unsigned char>(0xC4)], "-..");
    EXPECT_EQ(sets().LocalLines[0], " \xE4  -..  umlaut");
    EXPECT_TRUE(local->RadioButtonLocalModify->isChecked());
    EXPECT_FALSE(local->RadioButtonLocalCreate->isEnabled());
    EXPECT_EQ(rendered("\xC4"), rendered("d"));

    // Straight after creating it, Modify acts on the new character, never on another one.
    local->EditLocalCode->clear();
    QTest::keyClicks(local->EditLocalCode, QStringLiteral(".-.."));
    QTest::mouseClick(local->ButtonLocalCaractereEnter, Qt::LeftButton);
    EXPECT_EQ(MorseCodes[static_cast<unsigned char>(0xC4)], ".-..");
    EXPECT_EQ(MorseCodes['a'], ".-");
    EXPECT_EQ(sets().LocalLines[0], " \xE4  .-..  umlaut");
    EXPECT_EQ(rendered("\xE4"), rendered("l"));

    // Found again by typing it: its code and comment come back, then Delete.
    local->EditLocalCharacter->clear();
    typeCharacter(QStringLiteral("\u00E4"));
    EXPECT_EQ(local->EditLocalCode->text(), QStringLiteral(".-.."));
    EXPECT_EQ(local->EditLocalComment->text(), QStringLiteral("umlaut"));
    EXPECT_FALSE(local->RadioButtonLocalCreate->isEnabled());
    local->RadioButtonLocalDelete->click();
    QTest::mouseClick(local->ButtonLocalCaractereEnter, Qt::LeftButton);
    EXPECT_EQ(sets().LocalCount, 0);
    EXPECT_TRUE(MorseCodes[static_cast<unsigned char>(0xE4)].empty());
    EXPECT_TRUE(MorseCodes[static_cast<unsigned char>(0xC4)].empty());
    EXPECT_TRUE(local->EditLocalCharacter->text().isEmpty());
    // Without a code it is dropped: nothing is rendered.
    fake().written.clear();
    SoundEngine().State.PlayQueue = "\xE4";
    Form1->Button1->click();
    EXPECT_TRUE(fake().written.empty());
}

TEST_F(EngineControls, OverridingABuiltInCodeAsksFirstAndDeletingBringsItBack)
{
    ClickMenu("MenuLocalCharacters");
    QString asked;
    shelltest::whenDialogShown([&] {
        asked = shelltest::dialogText();
        FormDialog->ButtonNo->click();
    });
    enter(QStringLiteral("!"), "..");
    EXPECT_EQ(asked, "This character has already a built-in Morse code. Do you confirm its creation as local ?");
    EXPECT_EQ(sets().LocalCount, 0);
    EXPECT_EQ(MorseCodes['!'], "-.-.--");
    EXPECT_TRUE(local->EditLocalCharacter->text().isEmpty());

    shelltest::whenDialogShown([&] { FormDialog->ButtonYes->click(); });
    enter(QStringLiteral("!"), "..");
    EXPECT_EQ(sets().LocalCount, 1);
    EXPECT_EQ(rendered("!"), rendered("i"));

    local->RadioButtonLocalDelete->click();
    QTest::mouseClick(local->ButtonLocalCaractereEnter, Qt::LeftButton);
    EXPECT_EQ(MorseCodes['!'], "-.-.--");
    EXPECT_EQ(rendered("!").size(), static_cast<std::size_t>(SoundEngine().Timings.CharacterValues("-.-.--", 2)));

    // A question left open when Stop closes the panel creates nothing.
    shelltest::whenDialogShown([&] {
        emit Form1->ButtonStop->pressed();
        FormDialog->ButtonYes->click();
    });
    enter(QStringLiteral("@"), ".");
    EXPECT_TRUE(local->isHidden());
    EXPECT_EQ(sets().LocalCount, 0);
    EXPECT_EQ(MorseCodes['@'], ".--.-.");
}

TEST_F(EngineControls, DeletingMovesTheLaterCharactersDownAndTheFullPageRefusesMore)
{
    // "all" is the random set: its size follows the local characters.
    auto *all = Form1->findChild<QAction *>(QStringLiteral("MenuAll"));
    ASSERT_NE(all, nullptr);
    all->setChecked(true);

    ClickMenu("MenuLocalCharacters");
    std::vector<unsigned char> made;
    for (unsigned char c = 0xE0; made.size() < MaxLocalCharacters; ++c) {
        if (c == 0xF7)
            continue; // ÷ has no case and is not a letter; any other byte will do
        made.push_back(c);
        enter(text(c), ".-.-");
    }
    EXPECT_EQ(sets().LocalCount, 26);
    EXPECT_EQ(sets().RandomCount, 26 + 45);
    EXPECT_EQ(local->LabelLocalPlein->text(), "The local characters page is full !");
    enter(QStringLiteral("\u00FE"), "...");
    EXPECT_EQ(sets().LocalCount, 26);
    EXPECT_TRUE(MorseCodes[static_cast<unsigned char>(0xFE)].empty());

    // The third goes: the fourth and fifth move to places 3 and 4, the last place is freed.
    local->EditLocalCharacter->clear();
    typeCharacter(text(made[2]));
    local->RadioButtonLocalDelete->click();
    QTest::mouseClick(local->ButtonLocalCaractereEnter, Qt::LeftButton);
    EXPECT_EQ(sets().LocalCount, 25);
    EXPECT_EQ(sets().RandomCount, 25 + 45);
    EXPECT_EQ(sets().LocalCharacter(2), made[3]);
    EXPECT_EQ(sets().LocalCharacter(3), made[4]);
    EXPECT_EQ(sets().RandomCharacters[LocalCharactersFirst + 25], 0);
    EXPECT_EQ(sets().LocalLines[2], LocalCharacterLine(made[3], ".-.-", ""));
    EXPECT_TRUE(local->LabelLocalPlein->text().isEmpty());
}

// ---- Spacing, weight and speed ---------------------------------------------------------------

TEST_F(EngineControls, TheSpacingPanelSetsTheGapsItsFloorAndTheRealSpeed)
{
    ClickMenu("MenuLocalCharacters");
    ClickMenu("MenuEspaceMot");
    EXPECT_TRUE(local->isHidden());
    ASSERT_FALSE(spacing->isHidden());

    // Character spacing 2 and word spacing 2: "e" ends with 6 gaps, a blank is 7W+F+C-3 = 16.
    spacing->SpinEditEspace->setValue(2);
    spacing->SpinEditEspaceMots->setValue(2);
    EXPECT_EQ(rendered("e").size(), 4166u + 4166u + 5u * 4166u);
    EXPECT_EQ(rendered(" ").size(), 16u * 4166u);
    spacing->SpinEditEspaceMotsFin->setValue(3);
    EXPECT_EQ(rendered(" ").size(), 19u * 4166u);
    // A new word spacing starts its fine adjustment from 0.
    QTest::keyClick(spacing->SpinEditEspaceMots, Qt::Key_Up);
    EXPECT_EQ(spacing->SpinEditEspaceMotsFin->value(), 0);
    EXPECT_EQ(rendered(" ").size(), 23u * 4166u);

    // The pause before each character: two buffers, 3N gaps first.
    spacing->SpinEditLeadingSpace->setValue(1);
    EXPECT_EQ(rendered("e").size(), 3u * 4166u);
    spacing->SpinEditLeadingSpace->setValue(0);
    // The start silence takes whole steps of 3.
    spacing->SpinEditSpaceBug->setFocus();
    spacing->SpinEditSpaceBug->selectAll();
    QTest::keyClicks(spacing->SpinEditSpaceBug, QStringLiteral("4"));
    QTest::keyClick(spacing->SpinEditSpaceBug, Qt::Key_Return);
    EXPECT_EQ(SoundEngine().Timings.StartSilence(), 3);

    // At 5 wpm with W 20 and F 6 the character spacing stops where the real speed would
    // fall below 1.
    control<QSpinBox>("UpDownVitesse")->setValue(5);
    spacing->SpinEditEspaceMots->setValue(20);
    spacing->SpinEditEspaceMotsFin->setValue(6);
    for (int s = 1; s < 10; ++s)
        QTest::keyClick(spacing->SpinEditEspace, Qt::Key_Up);
    EXPECT_EQ(SoundEngine().Timings.CharacterSpacing(), 4);
    EXPECT_EQ(spacing->SpinEditEspace->value(), 4);
    EXPECT_TRUE(control<QLabel>("LabelVitesseCorrigee")->text().endsWith(QStringLiteral("1.1")));

    QTest::mouseClick(spacing->BitBtnOKEspace, Qt::LeftButton);
    EXPECT_TRUE(spacing->isHidden());
    EXPECT_EQ(Form1->focusWidget(), control<QWidget>("Editcaractere"));
}

TEST_F(EngineControls, SpeedAndWeightMenusChangeTheNextCharacter)
{
    QWidget *typing = control<QWidget>("Editcaractere");
    typing->setFocus();
    QTest::keyClick(typing, Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(SoundEngine().Timings.Speed(), 13);
    EXPECT_EQ(control<QSpinBox>("UpDownVitesse")->value(), 13);
    EXPECT_EQ(rendered("t").size(), 11538u + 3u * 3846u); // dash and gap at 13 wpm
    QTest::keyClick(typing, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(typing, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(SoundEngine().Timings.Speed(), 11);

    // Up stops at 50, although the control reaches 70; Down stops at 5.
    control<QSpinBox>("UpDownVitesse")->setValue(49);
    ClickMenu("UpSpeed");
    ClickMenu("UpSpeed");
    EXPECT_EQ(SoundEngine().Timings.Speed(), 50);
    control<QSpinBox>("UpDownVitesse")->setValue(6);
    ClickMenu("DownSpeed");
    ClickMenu("DownSpeed");
    EXPECT_EQ(SoundEngine().Timings.Speed(), 5);

    // Weight 5/1 at 12 wpm shortens the dot only.
    control<QSpinBox>("UpDownVitesse")->setValue(12);
    ClickMenu("Poids51");
    EXPECT_TRUE(control<QAction>("Poids51")->isChecked());
    EXPECT_FALSE(control<QAction>("Poids31")->isChecked());
    EXPECT_EQ(rendered("a").size(), 2500u + 12500u + 4u * 4166u);
    EXPECT_EQ(rendered("e").size(), 2500u + 3u * 4166u);
}

// ---- Level -----------------------------------------------------------------------------------

TEST_F(EngineControls, TheVolumeKeysStepTheLevelOfTheNextCharacter)
{
    auto peak = [](const std::vector<std::int16_t> &values) {
        int most = 0;
        for (std::int16_t v : values)
            most = std::max(most, std::abs(int(v)));
        return most;
    };
    auto expected = [](int dB) { return 32767.0 * std::pow(10.0, dB / 20.0); };
    QWidget *typing = control<QWidget>("Editcaractere");
    typing->setFocus();
    QTest::keyClick(typing, Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(Form1->EngineTone.Tables.Level(), -9);
    EXPECT_EQ(control<QSpinBox>("UpDownAmplitude")->value(), -9);
    EXPECT_NEAR(peak(rendered("t")), expected(-9), expected(-9) * 0.005);

    for (int i = 0; i < 5; ++i)
        QTest::keyClick(typing, Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(Form1->EngineTone.Tables.Level(), 0);
    EXPECT_EQ(peak(rendered("t")), 32767);

    for (int i = 0; i < 7; ++i)
        ClickMenu("DownVolume");
    EXPECT_EQ(Form1->EngineTone.Tables.Level(), -15);
    // The up-down itself, as clicked.
    QTest::keyClick(control<QSpinBox>("UpDownAmplitude"), Qt::Key_Up);
    EXPECT_EQ(Form1->EngineTone.Tables.Level(), -12);
    EXPECT_NEAR(peak(rendered("t")), expected(-12), expected(-12) * 0.005);
}

// Every caption of the spacing panel fits its box, in every language, however many lines it
// wraps into.
TEST_F(EngineControls, TheSpacingPanelsCaptionsFitTheirBoxesInEveryLanguage)
{
    for (void (*click)() : {English1Click, Magyar1Click, Deutsch1Click, Francais1Click, Italiano1Click,
                            Portugues1Click, Espagnol1Click}) {
        click();
        for (const char *name : {"LabelNombreEspace", "LabelEspaceMots", "LabelEspaceMotsFin", "LabelLeadingSpace",
                                 "LabelSpaceBug"}) {
            auto *label = spacing->findChild<QLabel *>(QString::fromLatin1(name));
            ASSERT_NE(label, nullptr) << name;
            EXPECT_LE(label->heightForWidth(label->width()), label->height()) << name << " "
                                                                               << label->text().toStdString();
        }
    }
    English1Click();
}

TEST_F(EngineControls, TheControlsSpeakTheLanguageOfTheSwitch)
{
    Deutsch1Click();
    EXPECT_EQ(control<QAction>("UpVolume")->text(), QStringLiteral("Lauter"));
    EXPECT_EQ(control<QAction>("MenuLocalCharacters")->text(), QStringLiteral("&Lokale Zeichen"));
    EXPECT_EQ(local->LabelLocalCharacters->text(), QStringLiteral(" VERWALTUNG DER LOKALEN ZEICHEN"));
    Espagnol1Click();
    EXPECT_EQ(control<QAction>("Spacing1")->text(), QStringLiteral("&Espaciado"));
    English1Click();
    EXPECT_EQ(control<QAction>("DownVolume")->text(), QStringLiteral("Down"));
}

} // namespace
