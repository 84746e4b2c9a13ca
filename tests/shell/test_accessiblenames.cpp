// What a screen reader finds in the program's windows: every control a user acts on carries a
// name of its own, in the language on show, pictures that answer a click are buttons, and a
// press through the accessibility bus does what a click does.

#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/sidewindows.h"
#include "shell/utilities.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

QAccessibleInterface *accessible(QWidget *w)
{
    return QAccessible::queryAccessibleInterface(w);
}

bool offersPress(QWidget *w)
{
    QAccessibleInterface *face = accessible(w);
    return face && face->actionInterface() &&
           face->actionInterface()->actionNames().contains(
               QAccessibleActionInterface::pressAction());
}

// A control that takes the keyboard focus or a press, as the user meets it now.
bool actsOn(QWidget *w, const QWidget *window)
{
    if (!w->isVisibleTo(window) || !w->isEnabled() || w->isWindow())
        return false;
    // The edit inside a spin box or a combo box is part of the box.
    if (qobject_cast<const QAbstractSpinBox *>(w->parentWidget()) ||
        qobject_cast<const QComboBox *>(w->parentWidget()))
        return false;
    return w->focusPolicy() != Qt::NoFocus || offersPress(w);
}

// The name a screen reader reads. On this desktop a box's own name is its value: it is named
// by its label.
QString accessibleName(QWidget *w)
{
    QAccessibleInterface *face = accessible(w);
    if (!face)
        return {};
    if (qobject_cast<QComboBox *>(w)) {
        const auto labels = face->relations(QAccessible::Label);
        return labels.isEmpty() ? QString()
                                : labels.first().first->text(QAccessible::Name).trimmed();
    }
    return face->text(QAccessible::Name).trimmed();
}

// "unnamed Object" and "'name' shared by A, B" for the controls of `window` at this moment.
QStringList faults(QWidget *window)
{
    QMap<QString, QStringList> byName;
    QStringList found;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!actsOn(w, window))
            continue;
        const QString what = w->objectName() + QStringLiteral(" (") +
                             QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(')');
        const QString name = accessibleName(w);
        if (name.isEmpty())
            found << QStringLiteral("unnamed ") + what;
        else
            byName[name] << what;
    }
    for (auto it = byName.cbegin(); it != byName.cend(); ++it)
        if (it->size() > 1)
            found << QStringLiteral("'%1' shared by %2")
                         .arg(it.key(), it->join(QStringLiteral(", ")));
    return found;
}

// The side window of that object name the program built, or null.
QWidget *sideWindow(const char *name)
{
    for (TSideForm *window : TSideForm::all())
        if (window->objectName() == QLatin1String(name))
            return window;
    return nullptr;
}

QList<QRadioButton *> modeButtons()
{
    static const QRegularExpression modes(
        QStringLiteral("^RadioButton(Alphabet|CodeQ|Abrev|Random|Quiz|Monitor)$"));
    return Form1->findChildren<QRadioButton *>(modes);
}

class AccessibleNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        shelltest::ensureWindows();
        Form1->show();
    }
    void TearDown() override { LanguageMenuClick(Language::English); }

    template <typename T> static T *windowControl(QWidget *window, const char *name)
    {
        return window ? window->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    }
};

} // namespace

// Each mode, each panel of the main window over it and each side window the program builds,
// in each language.
TEST_F(AccessibleNames, EveryControlAUserActsOnHasANameNoOtherControlOfItsWindowShares)
{
    QStringList all;
    const auto check = [&](const QString &where, QWidget *window) {
        QApplication::processEvents();
        for (const QString &fault : faults(window))
            all << where + QStringLiteral(": ") + fault;
    };
    ASSERT_EQ(modeButtons().size(), 6);
    ASSERT_GE(TSideForm::all().size(), 20u);
    for (int l = 0; l < LanguageCount; ++l) {
        LanguageMenuClick(static_cast<Language>(l));
        const QString language = LanguageHelpFileName(static_cast<Language>(l)) + QLatin1Char(' ');
        for (QRadioButton *mode : modeButtons()) {
            ClickButton(mode);
            check(language + mode->objectName(), Form1);
        }
        shelltest::forEachPanel(Form1->centralWidget(), [&](QWidget *panel) {
            check(language + panel->objectName(), Form1);
        });
        for (TSideForm *side : TSideForm::all()) {
            side->show();
            check(language + side->objectName(), side);
            side->hide();
        }
    }
    all.removeDuplicates();
    EXPECT_TRUE(all.isEmpty()) << all.size() << " faults:\n"
                               << all.join(QLatin1Char('\n')).toStdString();
}

// A control named by its label reads the label's words in the language on show, in the main
// window and in a side window that writes its texts when shown.
TEST_F(AccessibleNames, NamesReadTheirLabelsInTheLanguageOnShow)
{
    QWidget *beacon = sideWindow("FormBalise");
    QWidget *filter = sideWindow("FormFilter");
    ASSERT_TRUE(beacon && filter);
    const struct {
        QWidget *window;
        const char *control;
        const char *label;
    } pairs[] = {
        {Form1, "SpinEditEspace", "LabelNombreEspace"},
        {Form1, "EditLocalComment", "LabelLocalComment"},
        {Form1, "SpinEditQuizNumber", "LabelQuizNumber"},
        {Form1, "EditMsg3", "StaticTextMsg3"},
        {beacon, "EditHeader", "LabelHeader"},
        {filter, "UpDownBW", "LabelBW"},
    };
    beacon->show();
    filter->show();
    QMap<QString, QString> english;
    for (Language language : {Language::English, Language::Deutsch}) {
        LanguageMenuClick(language);
        QApplication::processEvents();
        for (const auto &pair : pairs) {
            auto *control = windowControl<QWidget>(pair.window, pair.control);
            auto *label = windowControl<QLabel>(pair.window, pair.label);
            ASSERT_TRUE(control && label) << pair.control;
            EXPECT_EQ(accessibleName(control), label->text().trimmed()) << pair.control;
            if (language == Language::English)
                english[QString::fromLatin1(pair.control)] = accessibleName(control);
            else
                EXPECT_NE(accessibleName(control), english[QString::fromLatin1(pair.control)])
                    << pair.control;
        }
    }
    // A "?" names the help and its topic, the speed box the Speed menu.
    auto *speedMenu = Form1->findChild<QMenu *>(QStringLiteral("MenuVitesse"));
    ASSERT_NE(speedMenu, nullptr);
    auto *speed = windowControl<QWidget>(Form1, "UpDownVitesse");
    auto *speedHelp = windowControl<QWidget>(Form1, "ButtonSpeedHelp");
    ASSERT_TRUE(speed && speedHelp);
    EXPECT_EQ(accessibleName(speed), WithoutAccessKeys(speedMenu->title()));
    EXPECT_TRUE(accessibleName(speedHelp).contains(accessibleName(speed)))
        << accessibleName(speedHelp).toStdString();
    EXPECT_NE(accessibleName(speedHelp), QStringLiteral("?"));
    beacon->hide();
    filter->hide();
}

// Pictures a click acts on are buttons to a screen reader, in every window that has them.
TEST_F(AccessibleNames, PicturesThatAnswerAClickAreButtons)
{
    const struct {
        const char *window;
        const char *picture;
    } pictures[] = {
        {"Form1", "Image1"},
        {"Form1", "Visage0"},
        {"FormGames", "ImageMahjong"},
        {"FormGames", "ImageMemoryGame"},
        {"FormMorseJong", "ImageTile1"},
        {"FormMemoryPairs", "ImageTile1"},
        {"FormDemo", "ImageLoupePlus"},
        {"FormDemo", "ImageLoupeMoins"},
        {"FormDemo", "ImageUP"},
        {"FormDemo", "ImageDown"},
        {"FormDemo", "ImagePageUP"},
        {"FormDemo", "ImagePageDN"},
        {"FormDemo", "ImagePlay"},
        {"FormDemo", "ImageStop"},
    };
    for (const auto &row : pictures) {
        QWidget *window = QLatin1String(row.window) == QLatin1String("Form1")
                              ? static_cast<QWidget *>(Form1)
                              : sideWindow(row.window);
        auto *picture = windowControl<QWidget>(window, row.picture);
        ASSERT_NE(picture, nullptr) << row.window << " " << row.picture;
        QAccessibleInterface *face = accessible(picture);
        ASSERT_NE(face, nullptr) << row.picture;
        EXPECT_EQ(face->role(), QAccessible::Button) << row.window << " " << row.picture;
        EXPECT_TRUE(offersPress(picture)) << row.window << " " << row.picture;
    }
}

// A press on the accessibility bus runs what the click runs: a mode button chooses its mode
// (Qt's own toggle would only move the check mark), a face of the quiz covers the faces and
// shows them again.
TEST_F(AccessibleNames, APressDoesWhatTheClickDoes)
{
    auto *quiz = windowControl<QRadioButton>(Form1, "RadioButtonQuiz");
    auto *characters = windowControl<QRadioButton>(Form1, "RadioButtonAlphabet");
    auto *quizPanel = windowControl<QGroupBox>(Form1, "QuizGroupBox");
    auto *list = windowControl<QWidget>(Form1, "ListAlphabet");
    ASSERT_TRUE(quiz && characters && quizPanel && list);
    ClickButton(characters);
    ASSERT_FALSE(quizPanel->isVisible());

    ASSERT_TRUE(testsupport::pressAccessibly(quiz));
    EXPECT_TRUE(quiz->isChecked());
    EXPECT_TRUE(quizPanel->isVisible());
    EXPECT_FALSE(list->isVisible());

    auto *face = windowControl<QLabel>(Form1, "Visage0");
    auto *cover = windowControl<QLabel>(Form1, "VisageNoir");
    ASSERT_TRUE(face && cover);
    ASSERT_TRUE(face->isVisible());
    ASSERT_TRUE(testsupport::pressAccessibly(face));
    EXPECT_TRUE(cover->isVisible());
    ASSERT_TRUE(testsupport::pressAccessibly(face));
    EXPECT_FALSE(cover->isVisible());

    ASSERT_TRUE(testsupport::pressAccessibly(characters));
    EXPECT_FALSE(quizPanel->isVisible());
    EXPECT_TRUE(list->isVisible());
}
