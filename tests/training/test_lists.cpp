// The character, Q-code and abbreviation lists: their rows in the seven languages, and the
// program's own lists clicked as the user clicks them (fake sound output).

#include "tests/training/modewindow.h"

#include "tests/common/testsupport.h"

#include "engine/morsecode.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/utilities.h"
#include "training/lists.h"
#include "training/listtables.h"
#include "training/shortcuts.h"

#include <QAction>
#include <QImage>
#include <QFontDatabase>
#include <QLineEdit>
#include <QRadioButton>

#include <map>
#include <set>

namespace {

constexpr Language kLanguages[] = {Language::English, Language::Magyar,    Language::Deutsch, Language::Francais,
                                   Language::Italiano, Language::Portugues, Language::Espanol};

// Every character of an item can be sent (a blank is a word space).
bool sendable(const std::string &item)
{
    for (char c : item)
        if (c != ' ' && DefaultMorseCodes[c].empty())
            return false;
    return !item.empty();
}

std::string inCp1252(const QString &text)
{
    const std::string bytes = cp1252::fromQString(text);
    EXPECT_EQ(cp1252::toQString(bytes), text) << "not all of it is Windows-1252: " << text.toStdString();
    return bytes;
}

TEST(ListRows, EveryLanguageHasEveryRowAndEveryRowPlaysTheSameSendableItem)
{
    // list -> row -> what a click plays in each language
    std::map<std::string, std::map<int, std::set<std::optional<std::string>>>> played;
    for (const TextRow &row : ListTextRows()) {
        if (row.kind != TextKind::Item)
            continue;
        for (Language language : kLanguages) {
            const std::string text = inCp1252(PickIn(row.text, language));
            ASSERT_FALSE(text.empty()) << row.object << " " << row.item;
            const std::string list = row.object;
            played[list][row.item].insert(list == "ListCodeQ" ? QCodePayload(text) : AbbreviationPayload(text));
            // Each item says what it means, in every language.
            const std::size_t mark = text.find(list == "ListCodeQ" ? " = " : " : ");
            if (mark != std::string::npos) {
                EXPECT_NE(text.find_first_not_of(' ', mark + 3), std::string::npos) << text;
            }
        }
    }
    ASSERT_EQ(played["ListCodeQ"].size(), std::size_t(QCodeRowCount));
    ASSERT_EQ(played["ListAbreviations"].size(), std::size_t(AbbreviationRowCount));
    EXPECT_EQ(played["ListCodeQ"].rbegin()->first, QCodeRowCount - 1);
    EXPECT_EQ(played["ListAbreviations"].rbegin()->first, AbbreviationRowCount - 1);
    const std::set<int> headings = {0, 1, 2, 3, 54, 55, 56};
    for (const auto &[list, rows] : played) {
        for (const auto &[row, items] : rows) {
            ASSERT_EQ(items.size(), 1u) << list << " row " << row << " plays differently by language";
            const std::optional<std::string> &item = *items.begin();
            if (list == "ListAbreviations" && headings.count(row)) {
                EXPECT_FALSE(item) << "heading row " << row << " plays " << *item;
                continue;
            }
            ASSERT_TRUE(item) << list << " row " << row;
            EXPECT_TRUE(sendable(*item)) << *item;
        }
    }
    EXPECT_EQ(*played["ListCodeQ"][28].begin(), "QTH");
    EXPECT_EQ(*played["ListAbreviations"][37].begin(), "RPT AA");
    EXPECT_EQ(*played["ListAbreviations"][63].begin(), "SVP");
}

TEST(ListRows, CharacterRowsPlayTheirCharacterAndHeadingsInAnyLanguageNothing)
{
    const std::vector<std::string> rows = AlphabetRows();
    ASSERT_EQ(rows.size(), std::size_t(AlphabetRowCount));
    EXPECT_EQ(rows[2], " A  .-    Di dah");
    EXPECT_EQ(rows[64], " kn -.--.  Dah di dah dah dit");
    EXPECT_EQ(rows[42], " 9  ----.  Dah dah dah dah dit");
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(AlphabetPayload(2 + i, rows[2 + i]), std::string(1, static_cast<char>('A' + i)));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(AlphabetPayload(33 + i, rows[33 + i]), std::string(1, static_cast<char>('0' + i)));
    // Every character row shows the code of what it plays.
    int characters = 0;
    for (int row = 0; row < AlphabetRowCount; ++row) {
        if (const auto item = AlphabetPayload(row, rows[row])) {
            ++characters;
            ASSERT_EQ(item->size(), 1u);
            const std::string_view code = DefaultMorseCodes[(*item)[0]];
            ASSERT_FALSE(code.empty()) << rows[row];
            EXPECT_NE(rows[row].find(std::string(code) + "  "), std::string::npos) << rows[row];
        }
    }
    EXPECT_EQ(characters, 26 + 10 + 9 + 7);
    const char prosigns[] = {ProsignKN, ProsignAS, ProsignHH, ProsignVA, ProsignSN, ProsignAR, ProsignBK};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(AlphabetPayload(64 + 2 * i, rows[64 + 2 * i]), std::string(1, prosigns[i])) << rows[64 + 2 * i];

    // The shell's heading rows, explanations among them, play nothing in any language.
    for (const TextRow &row : MainWindowTextRows()) {
        if (row.kind != TextKind::Item || std::string(row.object) != "ListAlphabet")
            continue;
        for (Language language : kLanguages) {
            EXPECT_FALSE(AlphabetPayload(row.item, inCp1252(PickIn(row.text, language))))
                << row.item << " " << PickIn(row.text, language).toStdString();
        }
    }

    EXPECT_EQ(AlphabetPayload(130, " \xE7 = HELLO"), "HELLO");
    EXPECT_EQ(AlphabetPayload(130, " \xE7 = "), std::nullopt);
    EXPECT_EQ(AlphabetPayload(130, " "), std::nullopt);
}

class Lists : public ModeWindow {
protected:
    void SetUp() override
    {
        ModeWindow::SetUp();
        alphabet = control<QListWidget>("ListAlphabet");
        codeQ = control<QListWidget>("ListCodeQ");
        abbreviations = control<QListWidget>("ListAbreviations");
        ASSERT_TRUE(alphabet && codeQ && abbreviations);
    }
    void chooseMode(const char *radio)
    {
        auto *button = control<QRadioButton>(radio);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
        ASSERT_TRUE(button->isChecked());
    }
    QListWidget *alphabet = nullptr;
    QListWidget *codeQ = nullptr;
    QListWidget *abbreviations = nullptr;
};

TEST_F(Lists, AQCodeIsSentWithTheOtherModesHeldUntilItsEnd)
{
    EXPECT_FALSE(alphabet->isHidden()); // the mode at design
    chooseMode("RadioButtonCodeQ");
    EXPECT_FALSE(codeQ->isHidden());
    EXPECT_TRUE(alphabet->isHidden());
    EXPECT_TRUE(abbreviations->isHidden());

    clickRow(codeQ, 28);
    EXPECT_EQ(queue(), "QTH");
    EXPECT_FALSE(control<QRadioButton>("RadioButtonAlphabet")->isEnabled());
    EXPECT_FALSE(control<QRadioButton>("RadioButtonAbrev")->isEnabled());
    fake().finishAll();
    EXPECT_EQ(buffers(), 3u);
    EXPECT_TRUE(queue().empty());
    EXPECT_TRUE(control<QRadioButton>("RadioButtonAlphabet")->isEnabled());

    // Enter in the typing box plays the selected item of the list shown.
    codeQ->setCurrentRow(0);
    auto *box = control<QLineEdit>("Editcaractere");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(queue(), "QRA");
    EXPECT_TRUE(box->text().isEmpty());
}

TEST_F(Lists, ProsignsGoAsOneCharacterAndHeadingsAndExplanationsAsNothing)
{
    clickRow(alphabet, 64); // " kn -.--.  Dah di dah dah dit"
    EXPECT_EQ(queue(), "\x03");
    clickRow(alphabet, 65); // its explanation
    clickRow(alphabet, 0);  // the heading
    clickRow(alphabet, 2);  // "A": the character list holds nothing back, items queue
    EXPECT_EQ(queue(), "\x03" "A");
    fake().finishAll();
    EXPECT_EQ(buffers(), 2u);

    chooseMode("RadioButtonAbrev");
    clickRow(abbreviations, 37);
    EXPECT_EQ(queue(), "RPT AA");
    fake().finishAll();
    clickRow(abbreviations, 11);
    EXPECT_EQ(queue(), "CUL");
    fake().finishAll();
    for (int heading : {0, 54, 55})
        clickRow(abbreviations, heading);
    EXPECT_TRUE(queue().empty());
}

TEST_F(Lists, ARightClickOpensTheEditorOfALocalCharacterOrShortcutRow)
{
    auto *localPanel = control<QWidget>("PanelLocalCharacters");
    auto *shortcutPanel = control<QWidget>("PanelLocalShortcut");
    ASSERT_TRUE(localPanel && shortcutPanel);
    clickRow(alphabet, 5, Qt::RightButton);
    EXPECT_TRUE(localPanel->isHidden());
    EXPECT_TRUE(shortcutPanel->isHidden());
    EXPECT_EQ(alphabet->currentRow(), 5); // the right button selects the row under it

    clickRow(alphabet, 100, Qt::RightButton);
    EXPECT_FALSE(localPanel->isHidden());
    EXPECT_TRUE(control<QLineEdit>("EditLocalCharacter")->text().isEmpty());

    Shortcuts[1] = "#";
    Shortcuts[ShortcutCount + 1] = "cq de test";
    ShowShortcutRows();
    ClickNamed(Form1, "ButtonLocalCaractereExit");
    clickRow(alphabet, 128, Qt::RightButton);
    EXPECT_FALSE(shortcutPanel->isHidden());
    EXPECT_TRUE(localPanel->isHidden());
    EXPECT_EQ(control<QLineEdit>("EditShortcut")->text(), "#");
    EXPECT_EQ(control<QLineEdit>("EditShortcutText")->text(), "cq de test");
    ClickNamed(Form1, "ButtonShortcutExit");

    // Below the last row nothing is selected, so the release opens nothing.
    const QRect last = alphabet->visualItemRect(alphabet->item(AlphabetRowCount - 1));
    QTest::mouseClick(alphabet->viewport(), Qt::RightButton, {}, last.center() + QPoint(0, 3 * last.height()));
    EXPECT_EQ(alphabet->currentRow(), -1);
    EXPECT_TRUE(shortcutPanel->isHidden());
}

TEST_F(Lists, ALanguageSwitchRewritesTheRowsAndTheyPlayTheSame)
{
    chooseMode("RadioButtonCodeQ");
    Form1->Deutsch1->trigger();
    EXPECT_EQ(codeQ->item(28)->text(), QStringLiteral("QTH = geografische Position senden"));
    EXPECT_EQ(alphabet->item(0)->text(), QStringLiteral("    BUCHSTABEN"));
    clickRow(codeQ, 28);
    EXPECT_EQ(queue(), "QTH");
}

TEST_F(Lists, TheCharacterListShowsItsPagesWholeInTheStepsFontAtEveryStepAndLanguage)
{
    chooseMode("RadioButtonAlphabet");
    auto *typing = control<QLineEdit>("Editcaractere");
    ASSERT_NE(typing, nullptr);
    const auto at = [&](int row) { return alphabet->visualItemRect(alphabet->item(row)); };
    // A row is on screen whole, or not at all: a column or row the view cannot hold whole is
    // not drawn, not even in part.
    const auto wholeOrAbsent = [&](int row) {
        const QRect viewport = alphabet->viewport()->rect();
        const QRect r = at(row);
        const QRect seen = r.intersected(viewport);
        if (seen.isEmpty())
            return true;
        if (alphabet->itemAt(r.center()) == alphabet->item(row))
            return viewport.contains(r);
        const QImage drawn = alphabet->viewport()->grab(seen).toImage();
        const QRgb base = alphabet->palette().color(QPalette::Base).rgb();
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                if (drawn.pixel(x, y) != base)
                    return false;
        return true;
    };
    const int designPoints = QFontDatabase::systemFont(QFontDatabase::FixedFont).pointSize();
    // The longest shortcut there can be widens its column.
    const auto shortcutsBefore = Shortcuts;
    Shortcuts[3] = "%";
    Shortcuts[ShortcutCount + 3] = std::string(MaxShortcutTextLength, 'W');
    ShowShortcutRows();
    int longRow = AlphabetShortcutFirstRow;
    while (longRow < AlphabetRowCount - 1 && !alphabet->item(longRow)->text().endsWith(QStringLiteral("WWW")))
        ++longRow;
    ASSERT_TRUE(alphabet->item(longRow)->text().endsWith(QStringLiteral("WWW")));
    EXPECT_LE(alphabet->fontMetrics().horizontalAdvance(alphabet->item(longRow)->text()), at(longRow).width());
    for (QAction *language : {Form1->English1, Form1->Deutsch1}) {
        language->trigger();
        for (auto [step, points] : {std::pair{"MenuAgrandir125", 14}, {"MenuAgrandir150", 15}, {"MenuAgrandir175", 20},
                                    {"MenuAgrandir200", 23}, {"MenuAgrandir100", designPoints}}) {
            SCOPED_TRACE(language->objectName().toStdString() + " " + step);
            ASSERT_TRUE(ClickMenuItem(control<QAction>(step)));
            alphabet->setCurrentRow(0);
            static_cast<QAbstractItemView *>(alphabet)->scrollTo(alphabet->model()->index(0, 0));
            EXPECT_EQ(alphabet->font().pointSize(), points);
            // Rows that hold the font whole, the foot of a "g" and the dots of an "Ü" too.
            const int rowHeight = at(1).y() - at(0).y();
            EXPECT_GE(rowHeight, QFontMetrics(alphabet->font()).height());
            // Each page is one column: its rows one below the other, the next page beside it.
            for (int row = 0; row < AlphabetRowCount; ++row) {
                const QRect top = at(row - row % AlphabetPageRows);
                ASSERT_EQ(at(row).x(), top.x()) << row;
                ASSERT_EQ(at(row).y(), at(0).y() + (row % AlphabetPageRows) * rowHeight) << row;
                if (row % AlphabetPageRows == 0 && row > 0) {
                    ASSERT_GE(top.x(), at(row - AlphabetPageRows).right()) << row;
                }
            }
            // The text of every row fits its column.
            for (int row = 0; row < AlphabetRowCount; ++row)
                ASSERT_LE(alphabet->fontMetrics().horizontalAdvance(alphabet->item(row)->text()), at(row).width())
                    << row;
            // The first screen starts at the first page's top, and shows whole rows of whole
            // columns only; the typing box's Right and Left bring each page's top into view.
            EXPECT_EQ(alphabet->itemAt(QPoint(1, 1)), alphabet->item(0));
            for (int row = 0; row < AlphabetRowCount; ++row)
                ASSERT_TRUE(wholeOrAbsent(row)) << row;
            for (int page = 1; page * AlphabetPageRows < AlphabetRowCount; ++page) {
                QTest::keyClick(typing, Qt::Key_Right);
                ASSERT_EQ(alphabet->currentRow(), page * AlphabetPageRows);
                EXPECT_EQ(alphabet->itemAt(at(page * AlphabetPageRows).center()), alphabet->currentItem());
                for (int row = 0; row < AlphabetRowCount; ++row)
                    ASSERT_TRUE(wholeOrAbsent(row)) << "page " << page << " row " << row;
            }
            QTest::keyClick(typing, Qt::Key_Left);
            EXPECT_EQ(alphabet->itemAt(at(alphabet->currentRow()).center()), alphabet->currentItem());
            // The foot of a page is reached whole.
            alphabet->setCurrentRow(AlphabetPageRows - 1);
            EXPECT_TRUE(alphabet->viewport()->rect().contains(at(AlphabetPageRows - 1)));
        }
    }
    Form1->English1->trigger();
    Shortcuts = shortcutsBefore;
    ShowShortcutRows();
}

} // namespace
