// Memory messages and shortcuts: the shortcut table's rules, both editors driven as the user
// drives them, the messages sent from the main panel and from the editor, and both stores
// through the settings file.

#include "tests/training/modewindow.h"

#include "tests/common/testsupport.h"

#include "engine/localcharacters.h"
#include "shell/formdialog.h"
#include "shell/settingsfile.h"
#include "shell/settingskeys.h"
#include "shell/startup.h"
#include "shell/utilities.h"
#include "training/messages.h"
#include "training/shortcuts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

using shelltest::whenDialogShown;

std::string slotCharacter(int i)
{
    return std::string(1, static_cast<char>(0xE0 + i)); // characters of no built-in set
}

TEST(ShortcutTable, AFreedSlotIsTakenFirstAndTheListClosesItsGaps)
{
    Shortcuts = {};
    for (int i = 0; i < ShortcutCount; ++i)
        ASSERT_EQ(CreateShortcut(static_cast<unsigned char>(0xE0 + i), "t" + std::to_string(i)), i + 1);
    EXPECT_TRUE(ShortcutTableFull());
    EXPECT_EQ(CreateShortcut('#', "more"), 0);

    DeleteShortcut(0xE4); // slot 5
    EXPECT_FALSE(ShortcutTableFull());
    auto rows = ShortcutListRows();
    EXPECT_EQ(rows[3], " " + slotCharacter(3) + " = t3");
    EXPECT_EQ(rows[4], " " + slotCharacter(5) + " = t5"); // no gap
    EXPECT_EQ(rows[25], " ");

    EXPECT_EQ(CreateShortcut('#', "cq"), 5);
    EXPECT_EQ(CreateShortcut('#', "again"), 0); // one slot per character
    ModifyShortcut('#', "cq de test");
    EXPECT_EQ(ShortcutTextFor('#'), "cq de test");
    EXPECT_EQ(ShortcutListRows()[4], " # = cq de test");
}

TEST(ShortcutTable, StandardLocalAndBlankCharactersCannotBeShortcuts)
{
    Shortcuts = {};
    CharacterSets sets;
    MorseCodeTable codes = DefaultMorseCodes;
    ASSERT_EQ(CreateLocalCharacter(sets, codes, 0xE9, "..-..", "", RandomSetFollow::None), LocalResult::Done);
    CreateShortcut('#', "x");
    using K = ShortcutCharacterKind;
    for (char refused : std::string("az09?\" \xE9"))
        EXPECT_EQ(ClassifyShortcutCharacter(sets, static_cast<unsigned char>(refused)), K::Refused) << refused;
    EXPECT_EQ(ClassifyShortcutCharacter(sets, '#'), K::Existing);
    EXPECT_EQ(ClassifyShortcutCharacter(sets, '!'), K::New); // a built-in code, but no set's
    EXPECT_EQ(ClassifyShortcutCharacter(sets, std::nullopt), K::Empty);
}

class ShortcutEditor : public ModeWindow {
protected:
    void SetUp() override
    {
        ModeWindow::SetUp();
        Shortcuts = {};
        ASSERT_TRUE(ClickMenuItem(control<QAction>("MenuLocalShortcuts")));
        panel = control<QWidget>("PanelLocalShortcut");
        character = control<QLineEdit>("EditShortcut");
        text = control<QLineEdit>("EditShortcutText");
        create = control<QRadioButton>("RadioButtonShortcutCreate");
        modify = control<QRadioButton>("RadioButtonShortcutModify");
        remove = control<QRadioButton>("RadioButtonShortcutDelete");
        enter = control<QPushButton>("ButtonShortcutEnter");
        full = control<QLabel>("LabelShortcutPlein");
        alphabet = control<QListWidget>("ListAlphabet");
        ASSERT_FALSE(panel->isHidden());
    }
    void choose(const QString &c)
    {
        character->clear();
        character->setFocus();
        typeText(character, c);
    }
    QString row(int i) const { return alphabet->item(128 + i)->text(); }

    QWidget *panel = nullptr;
    QLineEdit *character = nullptr;
    QLineEdit *text = nullptr;
    QRadioButton *create = nullptr;
    QRadioButton *modify = nullptr;
    QRadioButton *remove = nullptr;
    QPushButton *enter = nullptr;
    QLabel *full = nullptr;
    QListWidget *alphabet = nullptr;
};

TEST_F(ShortcutEditor, ACreatedShortcutIsListedAndItsTextIsHeldToTheRules)
{
    choose("A");
    EXPECT_TRUE(character->text().isEmpty()) << "a is a standard character";
    choose("#");
    EXPECT_TRUE(create->isChecked());
    EXPECT_FALSE(modify->isEnabled());
    EXPECT_FALSE(remove->isEnabled());

    // A pasted text of 40 characters keeps 36; a text never ends in its own character.
    QApplication::clipboard()->setText(QString(40, QLatin1Char('x')));
    text->setFocus();
    QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(text->text(), QString(36, QLatin1Char('x')));
    text->clear();
    QTest::keyClicks(text, "cq de test#");
    EXPECT_EQ(text->text(), "cq de test");

    enter->click();
    EXPECT_EQ(row(0), " # = cq de test");
    EXPECT_EQ(row(1), " ");
    EXPECT_FALSE(create->isEnabled());
    EXPECT_TRUE(modify->isEnabled());
    EXPECT_EQ(ShortcutTextFor('#'), "cq de test");

    // Chosen again, it shows its text for Modify.
    choose("#");
    EXPECT_EQ(text->text(), "cq de test");
    modify->click();
    text->setText("73");
    enter->click();
    EXPECT_EQ(row(0), " # = 73");
}

TEST_F(ShortcutEditor, AFullTableSaysSoAndADeletionClosesTheGap)
{
    ClickNamed(Form1, "ButtonShortcutExit");
    for (int i = 0; i < ShortcutCount; ++i)
        CreateShortcut(static_cast<unsigned char>(0xE0 + i), "t" + std::to_string(i));
    ClickMenuItem(control<QAction>("MenuLocalShortcuts"));
    EXPECT_EQ(full->text(), "Table pleine !!!!");
    EXPECT_FALSE(create->isEnabled());

    choose(cp1252::toQString(slotCharacter(4)));
    ASSERT_EQ(text->text(), "t4");
    remove->click();
    enter->click();
    EXPECT_TRUE(full->text().isEmpty());
    EXPECT_TRUE(character->text().isEmpty());
    EXPECT_EQ(row(4), cp1252::toQString(" " + slotCharacter(5) + " = t5"));
    EXPECT_EQ(row(25), " ");
}

TEST_F(ShortcutEditor, ACharacterWithABuiltInCodeIsCreatedOnlyOnYes)
{
    choose("!");
    ASSERT_TRUE(create->isChecked());
    text->setText("XY");
    QString asked;
    whenDialogShown([&asked] {
        asked = shelltest::dialogText();
        FormDialog->ButtonNo->click();
    });
    enter->click();
    EXPECT_EQ(asked, "This character has already a built-in Morse code. Do you confirm the creation as shortcut ?");
    EXPECT_FALSE(ShortcutTextFor('!'));
    EXPECT_TRUE(character->text().isEmpty());

    choose("!");
    text->setText("XY");
    whenDialogShown([] { FormDialog->ButtonYes->click(); });
    enter->click();
    EXPECT_EQ(ShortcutTextFor('!'), "XY");
    EXPECT_EQ(row(0), " ! = XY");
}

class MessageButtons : public ModeWindow {};

TEST_F(MessageButtons, AButtonSendsItsMessageAloneAndALabelAppendsItToWhatIsSent)
{
    auto *button2 = control<QPushButton>("ButtonMsg2");
    QTest::mouseClick(button2, Qt::RightButton);
    auto *panel = control<QWidget>("PanelMsg");
    ASSERT_FALSE(panel->isHidden()) << "a right click opens the editor";
    auto *edit2 = control<QLineEdit>("EditMsg2");
    QTest::keyClicks(edit2, "TEST");
    EXPECT_EQ(Messages[2], "TEST");
    EXPECT_EQ(button2->toolTip(), "TEST");

    // Typed text is being sent: button 2 clears the box and sends the message alone.
    auto *box = control<QLineEdit>("Editcaractere");
    box->setFocus();
    QTest::keyClicks(box, "ab");
    QTest::mouseClick(button2, Qt::LeftButton);
    EXPECT_EQ(box->text(), "TEST");
    EXPECT_EQ(queue(), "TEST");
    fake().finishNext(); // the "a" that was sounding
    const std::size_t before = buffers();

    // The label MSG#2 adds the message behind what is queued.
    QTest::mouseClick(control<QLabel>("StaticTextMsg2"), Qt::LeftButton);
    EXPECT_EQ(queue(), "TESTTEST");
    fake().finishAll();
    EXPECT_EQ(buffers() - before, 8u - 1u); // the first T was under way already
    EXPECT_TRUE(queue().empty());

    // An empty message sends nothing.
    QTest::mouseClick(control<QPushButton>("ButtonMsg3"), Qt::LeftButton);
    QTest::mouseClick(control<QLabel>("StaticTextMsg3"), Qt::LeftButton);
    EXPECT_TRUE(queue().empty());
}

TEST_F(MessageButtons, TheEditorDraggedOutFloatsAndComesBackWhenClosed)
{
    ClickMenuItem(control<QAction>("MenuLocalMessages"));
    auto *panel = control<QWidget>("PanelMsg");
    auto *title = control<QLabel>("LabelPanelMsg");
    ASSERT_FALSE(panel->isHidden());
    ASSERT_FALSE(panel->isWindow());

    const QPoint start = title->rect().center();
    QTest::mousePress(title, Qt::LeftButton, {}, start);
    const QPoint outside = title->mapFromGlobal(Form1->Frame->mapToGlobal(QPoint(Form1->Frame->width() + 40, 20)));
    QMouseEvent drag(QEvent::MouseMove, outside, title->mapToGlobal(outside), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(title, &drag);
    EXPECT_TRUE(panel->isWindow());
    EXPECT_FALSE(panel->isHidden());
    EXPECT_TRUE(title->isHidden());
    EXPECT_TRUE(control<QPushButton>("ButtonCloseMsg")->isHidden());

    // Its label still appends while it floats.
    Messages[1] = "E";
    QTest::mouseClick(control<QLabel>("StaticTextMsg1"), Qt::LeftButton);
    EXPECT_EQ(queue(), "E");

    panel->close();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(panel->isWindow());
    ClickMenuItem(control<QAction>("MenuLocalMessages"));
    EXPECT_FALSE(panel->isHidden());
    EXPECT_FALSE(title->isHidden());
    EXPECT_EQ(panel->parentWidget(), Form1->Frame);
}

TEST_F(MessageButtons, MessagesAndShortcutsComeBackFromTheSettingsFile)
{
    // "=" as a shortcut character, Windows-1252 letters, a text ending in blanks; message 1
    // emptied and message 3 alone.
    Shortcuts = {};
    CreateShortcut('=', "=x  ");
    CreateShortcut(0xE7, "\xC7" "A VA & =");
    control<QLineEdit>("EditMsg1")->clear();
    control<QLineEdit>("EditMsg3")->setText(cp1252::toQString("QRL? \xE9t\xE9"));
    ASSERT_TRUE(WriteSettingsFile());
    QFile file(SettingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::string bytes = file.readAll().toStdString();
    EXPECT_NE(bytes.find("\r\nSHORTCUT===x  \r\nSHORTCUT=\xE7\xC7" "A VA & =\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("\r\nMSG=\r\nMSG=\r\nMSG=QRL? \xE9t\xE9\r\nMSG=\r\n"), std::string::npos) << bytes;

    DestroyAllWindows();
    Shortcuts = {};
    shelltest::ensureWindows();
    EXPECT_EQ(ShortcutTextFor('='), "=x  ");
    EXPECT_EQ(ShortcutTextFor(0xE7), "\xC7" "A VA & =");
    EXPECT_EQ(Messages[1], "");
    EXPECT_EQ(Messages[3], "QRL? \xE9t\xE9");
    EXPECT_EQ(control<QPushButton>("ButtonMsg3")->toolTip(), cp1252::toQString("QRL? \xE9t\xE9"));
    auto *alphabet = control<QListWidget>("ListAlphabet");
    EXPECT_EQ(alphabet->item(128)->text(), " = = =x  ");
    EXPECT_EQ(alphabet->item(129)->text(), cp1252::toQString(" \xE7 = \xC7" "A VA & ="));
    EXPECT_EQ(alphabet->item(130)->text(), " ");

    // A file's shortcut on a blank (or a control character) is refused: a typed blank would
    // stand for its text.
    Settings().read({{"SHORTCUT=", " blank"}, {"SHORTCUT=", "\x01prosign"}, {"SHORTCUT=", "#cq"}});
    EXPECT_FALSE(ShortcutTextFor(' '));
    EXPECT_FALSE(ShortcutTextFor(1));
    EXPECT_EQ(ShortcutTextFor('#'), "cq");
    EXPECT_EQ(alphabet->item(128)->text(), " # = cq");

    // A shortcut typed in the box sends its text.
    auto *box = control<QLineEdit>("Editcaractere");
    box->setFocus();
    typeText(box, "#");
    EXPECT_EQ(box->text(), "cq");
}

} // namespace
