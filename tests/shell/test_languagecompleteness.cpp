// Every text of every window in each of the seven languages: after a switch nothing is empty
// and nothing is left in another language, unless the tables themselves give that word alike;
// every text can be written in Windows-1252; and no caption or list row, in any window or
// panel, is cut short at any step of the enlargement.

#include "engine/cp1252.h"
#include "shell/help.h"
#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/sidewindows.h"
#include "shell/utilities.h"
#include "shell/wrappingcheckbox.h"
#include "shelltestsupport.h"
#include "training/exam.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTextDocument> // Qt::mightBeRichText
#include <QTableWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace {

QString shown(const QString &text)
{
    return WithoutAccessKeys(ForDisplay(text));
}

bool hasLetter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetter(); });
}

// The words that a picked row gives alike in two languages, as shown, by pair of languages.
std::mutex alikeMutex;
std::set<QString> alike[LanguageCount][LanguageCount];

void noteRow(const Tr &row)
{
    for (int a = 0; a < LanguageCount; ++a) {
        for (int b = a + 1; b < LanguageCount; ++b) {
            if (qstrcmp(row.text[a], row.text[b]) != 0)
                continue;
            // Blanks around a word are not what a user reads (an action's hint drops them).
            const QString word = shown(QString::fromUtf8(row.text[a])).trimmed();
            const std::lock_guard lock(alikeMutex);
            alike[a][b].insert(word);
        }
    }
}

// A text shown alike in languages a < b is accepted when, once the words that rows give alike
// in both are taken out, no letter is left (numbers, signs and blanks need no translation).
bool givenAlike(QString text, int a, int b)
{
    std::vector<QString> words;
    {
        const std::lock_guard lock(alikeMutex);
        words.assign(alike[a][b].begin(), alike[a][b].end());
    }
    std::sort(words.begin(), words.end(), [](const QString &x, const QString &y) { return x.size() > y.size(); });
    for (const QString &word : words) {
        if (hasLetter(word))
            text.replace(word, QStringLiteral("\x01"));
    }
    return !hasLetter(text);
}

// Where a text is: the control's path of names within its window (an unnamed one, such as a
// radio group's row, by its class and place among its siblings), and which text.
QString placeOf(const QObject *object, const QString &which)
{
    QString path = which;
    for (const QObject *o = object; o != nullptr; o = o->parent()) {
        QString name = o->objectName();
        if (name.isEmpty() && o->parent() != nullptr)
            name = QStringLiteral("%1#%2").arg(QLatin1String(o->metaObject()->className()))
                       .arg(o->parent()->children().indexOf(const_cast<QObject *>(o)));
        path = name + QLatin1Char('/') + path;
        if (o->isWidgetType() && static_cast<const QWidget *>(o)->isWindow())
            break;
    }
    return path;
}

using Texts = std::map<QString, QString>; // place -> shown text

// Every wording a user can read in a window: captions, titles, hints, list and combo rows,
// table headings. What the user types or the program writes as practice text (the contents
// of edit boxes) and controls that show values are left out.
void readWindow(QWidget *window, Texts &texts)
{
    QList<QObject *> objects = window->findChildren<QObject *>();
    objects.prepend(window);
    for (QObject *object : objects) {
        if (ShowsValue(object))
            continue;
        const auto put = [&](const QString &which, const QString &text) { texts[placeOf(object, which)] = shown(text);
        };
        if (auto *action = qobject_cast<QAction *>(object)) {
            if (!action->isSeparator()) {
                put(QStringLiteral("caption"), action->text());
                put(QStringLiteral("hint"), action->toolTip());
            }
            continue;
        }
        auto *widget = qobject_cast<QWidget *>(object);
        if (widget == nullptr)
            continue;
        put(QStringLiteral("hint"), widget->toolTip());
        if (widget->isWindow())
            put(QStringLiteral("title"), widget->windowTitle());
        if (auto *menu = qobject_cast<QMenu *>(widget))
            put(QStringLiteral("caption"), menu->title());
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            put(QStringLiteral("caption"), group->title());
        else if (auto *label = qobject_cast<QLabel *>(widget))
            put(QStringLiteral("caption"), label->text());
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            put(QStringLiteral("caption"), button->text());
        else if (auto *list = qobject_cast<QListWidget *>(widget)) {
            for (int i = 0; i < list->count(); ++i) {
                if (!ShowsValue(list->item(i)))
                    put(QStringLiteral("row %1").arg(i), list->item(i)->text());
            }
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            for (int i = 0; i < combo->count(); ++i)
                put(QStringLiteral("row %1").arg(i), combo->itemText(i));
        } else if (auto *table = qobject_cast<QTableWidget *>(widget)) {
            for (int i = 0; i < table->columnCount(); ++i) {
                if (const QTableWidgetItem *heading = table->horizontalHeaderItem(i))
                    put(QStringLiteral("heading %1").arg(i), heading->text());
            }
        }
    }
}

Texts readAllWindows()
{
    Texts texts;
    readWindow(Form1, texts);
    for (TSideForm *window : TSideForm::all())
        readWindow(window, texts);
    if (QWidget *help = ExistingHelpWindow())
        readWindow(help, texts);
    return texts;
}

// Watches the picked rows for as long as it lives (the words seen stay: they only grow).
struct RowWatch {
    RowWatch() { WatchPicks(noteRow); }
    ~RowWatch() { WatchPicks(nullptr); }
};

// Every window open while the language changes: the open ones must follow each switch.
void openEveryWindow()
{
    shelltest::ensureWindows();
    ASSERT_NE(Form1, nullptr);
    Form1->show();
    ShowExamPause(); // the pause window has its controls once a pause has shown
    for (TSideForm *window : TSideForm::all())
        window->show();
    QApplication::processEvents();
}

TEST(LanguageCompleteness, EveryWindowReadsInEachLanguage)
{
    const RowWatch watch;
    openEveryWindow();
    ASSERT_NE(Form1, nullptr);

    std::array<Texts, LanguageCount> read;
    for (int language = 0; language < LanguageCount; ++language) {
        LanguageMenuClick(static_cast<Language>(language));
        ShowHelpContents(); // the help opens in the language chosen when it is asked for
        read[language] = readAllWindows();
    }
    LanguageMenuClick(Language::English);
    ShowHelpContents();
    const Texts englishAgain = readAllWindows();

    // Each place and text shown alike where the tables do not say so (or empty), with the
    // letters of the languages that show it.
    std::map<QString, QString> faults;
    const auto fault = [&](const QString &place, const QString &text, int language) {
        QString &letters = faults[place + QStringLiteral(" \"") + text + QLatin1Char('"')];
        const QChar letter = QLatin1Char(LanguageLetter(static_cast<Language>(language)));
        if (!letters.contains(letter))
            letters += letter;
    };
    for (const auto &[place, english] : read[0]) {
        if (englishAgain.count(place) != 0 && englishAgain.at(place) != english)
            fault(place, QStringLiteral("(English again) ") + englishAgain.at(place), 0);
    }
    for (int a = 0; a < LanguageCount; ++a) {
        for (const auto &[place, text] : read[a]) {
            if (cp1252::toQString(cp1252::fromQString(text)) != text)
                fault(place, text + QStringLiteral(" (not Windows-1252)"), a);
            for (int b = a + 1; b < LanguageCount; ++b) {
                if (read[b].count(place) == 0)
                    continue;
                const QString &textB = read[b].at(place);
                if (text.isEmpty() != textB.isEmpty() && hasLetter(text + textB)) {
                    fault(place, QStringLiteral("(empty)"), text.isEmpty() ? a : b);
                } else if (text == textB && hasLetter(text) && !givenAlike(text, a, b)) {
                    fault(place, text, a);
                    fault(place, text, b);
                }
            }
        }
    }
    QStringList lines;
    for (const auto &[what, letters] : faults)
        lines << what + QStringLiteral(" in ") + letters;
    EXPECT_TRUE(lines.isEmpty()) << lines.size() << " texts are not in their language:\n"
                                 << lines.join(QLatin1Char('\n')).toStdString();
}

// Whether the control's caption is wider than the control (or, where it wraps, taller); a
// control that scrolls or shows a value has nothing cut.
bool captionCut(const QWidget *widget)
{
    const auto advance = [widget](const QString &text) {
        return widget->fontMetrics().horizontalAdvance(WithoutAccessKeys(text));
    };
    const int width = widget->width() + 1;
    if (auto *wrapping = qobject_cast<const WrappingCheckBox *>(widget)) {
        const QRect room = wrapping->captionRect();
        return widget->fontMetrics().boundingRect(room, Qt::TextWordWrap, wrapping->text()).height() > room.height();
    }
    if (auto *label = qobject_cast<const QLabel *>(widget)) {
        if (label->wordWrap() || label->text().isEmpty() || Qt::mightBeRichText(label->text()))
            return false;
        return advance(label->text()) + 2 * label->frameWidth() + 2 * label->margin() > width;
    }
    if (auto *button = qobject_cast<const QPushButton *>(widget)) {
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        return !button->text().isEmpty() && advance(button->text()) + 8 + icon > width;
    }
    if (auto *box = qobject_cast<const QAbstractButton *>(widget))
        return !box->text().isEmpty() && box->sizeHint().width() > width;
    if (auto *group = qobject_cast<const QGroupBox *>(widget))
        return !group->title().isEmpty() && advance(group->title()) + 16 > width;
    return false;
}

// The rows of a list that their place in it cannot hold whole, so that the list draws them
// cut short (ending in "..."), values and wording alike: a list laid out in columns gives each
// row its column's width, one that scrolls across gives each row what it needs.
std::vector<int> rowsCut(const QListWidget *list)
{
    std::vector<int> cut;
    // The room the list's rows leave their text on each side.
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem *row = list->item(i);
        if (row->text().trimmed().isEmpty())
            continue;
        const QFont font = row->data(Qt::FontRole).isValid() ? row->font() : list->font();
        if (QFontMetrics(font).horizontalAdvance(row->text()) + 2 * margin > list->visualItemRect(row).width())
            cut.push_back(i);
    }
    return cut;
}

TEST(LanguageCompleteness, NoCaptionIsCutInAnyLanguageAtAnyStep)
{
    openEveryWindow();
    ASSERT_NE(Form1, nullptr);
    std::vector<QWidget *> windows{Form1};
    for (TSideForm *window : TSideForm::all())
        windows.push_back(window);
    std::map<QString, QString> faults; // place at a step -> languages
    // Every control seen in `root` (a window or a panel of the main window).
    const auto check = [&faults](QWidget *root, int language, int percent) {
        const QChar letter = QLatin1Char(LanguageLetter(static_cast<Language>(language)));
        const auto fault = [&](const QWidget *widget, const QString &which) {
            QString &letters = faults[QStringLiteral("%1 %: ").arg(percent) + placeOf(widget, which)];
            if (!letters.contains(letter))
                letters += letter;
        };
        QList<QWidget *> widgets = root->findChildren<QWidget *>();
        widgets.prepend(root);
        for (QWidget *widget : widgets) {
            if (!widget->isVisibleTo(root->window()))
                continue;
            if (auto *list = qobject_cast<QListWidget *>(widget)) {
                for (int row : rowsCut(list))
                    fault(widget, QStringLiteral("row %1").arg(row));
            } else if (!ShowsValue(widget) && captionCut(widget)) {
                fault(widget, QStringLiteral("caption"));
            }
        }
    };
    for (int percent : {100, 125, 150, 175, 200}) {
        // A change of step closes the side windows; they open again at the new one.
        ASSERT_TRUE(ClickMenuItem(Form1->findChild<QAction *>(QStringLiteral("MenuAgrandir%1").arg(percent))));
        for (TSideForm *window : TSideForm::all())
            window->show();
        QApplication::processEvents();
        for (int language = 0; language < LanguageCount; ++language) {
            LanguageMenuClick(static_cast<Language>(language));
            // The main window shows other controls in each mode, and each of its panels in turn.
            for (QRadioButton *mode : {Form1->RadioButtonAlphabet, Form1->RadioButtonCodeQ, Form1->RadioButtonAbrev,
                                       Form1->RadioButtonRandom, Form1->RadioButtonQuiz, Form1->RadioButtonMonitor}) {
                ClickButton(mode);
                QApplication::processEvents();
                check(Form1, language, percent);
            }
            // The random set's label names each set in turn.
            ClickButton(Form1->RadioButtonRandom);
            auto *setLabel = Form1->findChild<QLabel *>(QStringLiteral("PanelRandomLesson"));
            ASSERT_NE(setLabel, nullptr);
            for (const char *set : {"MenuLetters", "MenuFigures", "MenuStops", "MenuLocal", "MenuLettersFigures",
                                    "MenuAll"}) {
                auto *item = Form1->findChild<QAction *>(QString::fromLatin1(set));
                ASSERT_NE(item, nullptr) << set;
                item->trigger();
                check(setLabel, language, percent);
            }
            shelltest::forEachPanel(Form1->centralWidget(), [&](QWidget *panel) {
                QApplication::processEvents();
                check(panel, language, percent);
            });
            for (QWidget *window : windows)
                check(window, language, percent);
        }
    }
    ClickMenuItem(Form1->MenuAgrandir100);
    LanguageMenuClick(Language::English);
    QStringList lines;
    for (const auto &[place, letters] : faults)
        lines << place + QStringLiteral(" in ") + letters;
    EXPECT_TRUE(lines.isEmpty()) << lines.size() << " texts are cut:\n" << lines.join(QLatin1Char('\n')).toStdString();
}

} // namespace
