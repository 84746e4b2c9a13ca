// What the user sees of the main window in each mode, in each of its panels and of every side
// window, at each step of the enlargement: no visible control lies over another, and every menu
// of the main window's menu bar is seen in the bar, none folded behind its overflow button.

#include "tests/training/modewindow.h"

#include "shell/languages/languages.h"
#include "shell/releasecheck.h"
#include "shell/sidewindows.h"

#include "shell/utilities.h"

#include <QAction>
#include <QMenuBar>
#include <QWidget>

#include <functional>

namespace {

struct Placed {
    QWidget *widget;
    QRect rect;
};

std::vector<Placed> namedVisibleControls(QWidget *window)
{
    std::vector<Placed> placed;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || !w->isVisibleTo(window) || w->isWindow())
            continue;
        placed.push_back({w, QRect(w->mapTo(window, QPoint(0, 0)), w->size())});
    }
    return placed;
}

bool related(const QWidget *a, const QWidget *b)
{
    return a->isAncestorOf(b) || b->isAncestorOf(a);
}

std::vector<std::string> overlaps(QWidget *window = Form1)
{
    std::vector<std::string> found;
    const auto placed = namedVisibleControls(window);
    for (std::size_t i = 0; i < placed.size(); ++i)
        for (std::size_t j = i + 1; j < placed.size(); ++j) {
            const QRect common = placed[i].rect.intersected(placed[j].rect);
            if (common.width() > 2 && common.height() > 2 && !related(placed[i].widget, placed[j].widget))
                found.push_back(placed[i].widget->objectName().toStdString() + " / "
                                + placed[j].widget->objectName().toStdString());
        }
    return found;
}

class Layout : public ModeWindow {};

// Every step of the Enlarge menu, chosen as the user does from the character list the program
// opens on; back at 100 % at the end.
void atEachStep(const std::function<void(const std::string &step)> &check)
{
    for (int percent : {100, 125, 150, 175, 200}) {
        QTest::mouseClick(Form1->RadioButtonAlphabet, Qt::LeftButton);
        ASSERT_TRUE(ClickMenuItem(Form1->findChild<QAction *>(QStringLiteral("MenuAgrandir%1").arg(percent))));
        QApplication::processEvents();
        check(std::to_string(percent) + " %, ");
    }
    ClickMenuItem(Form1->MenuAgrandir100);
}

TEST_F(Layout, NoVisibleControlLiesOverAnotherInAnyModeAtAnyStep)
{
    atEachStep([&](const std::string &step) {
        for (QRadioButton *mode : {Form1->RadioButtonAlphabet, Form1->RadioButtonCodeQ, Form1->RadioButtonAbrev,
                                   Form1->RadioButtonRandom, Form1->RadioButtonQuiz, Form1->RadioButtonMonitor}) {
            QTest::mouseClick(mode, Qt::LeftButton);
            QApplication::processEvents();
            for (const std::string &pair : overlaps())
                ADD_FAILURE() << step << mode->objectName().toStdString() << ": " << pair;
        }
        loadFileText("a text to read");
        ASSERT_TRUE(control<QWidget>("PanelFile")->isVisible());
        for (const std::string &pair : overlaps())
            ADD_FAILURE() << step << "file text: " << pair;
    });
}

TEST_F(Layout, NoControlLiesOverAnotherInsideAPanelAtAnyStep)
{
    atEachStep([&](const std::string &step) {
        shelltest::forEachPanel(Form1->centralWidget(), [&](QWidget *panel) {
            for (const std::string &pair : overlaps(panel))
                ADD_FAILURE() << step << panel->objectName().toStdString() << ": " << pair;
        });
    });
}

// Layers by design: the games' tiles lie over their neighbours' edges (and the tile game's are
// stacked on its board, under which the error line runs), and the enlargement view's case
// button sits in the corner of its centred character.
bool layeredByDesign(const std::string &window, const std::string &pair)
{
    if (window == "FormMemoryPairs")
        return pair.rfind("ImageTile", 0) == 0 && pair.find(" / ImageTile") != std::string::npos;
    if (window == "FormMorseJong")
        return pair.rfind("ImageTile", 0) == 0 || pair == "Board / Label2";
    return window == "FormZoom" && pair == "LabelZoom / SpeedButtonZoomCase";
}

TEST_F(Layout, NoVisibleControlLiesOverAnotherInASideWindowAtAnyStep)
{
    atEachStep([&](const std::string &step) {
        for (TSideForm *window : TSideForm::all()) {
            window->show();
            QApplication::processEvents();
            const std::string name = window->objectName().toStdString();
            for (const std::string &pair : overlaps(window)) {
                if (!layeredByDesign(name, pair))
                    ADD_FAILURE() << step << name << ": " << pair;
            }
            window->hide();
        }
    });
}

// The menus of the main window's bar that are not seen in it: those whose place lies outside
// the bar, which Qt puts behind its overflow button.
std::vector<std::string> menusFoldedAway()
{
    std::vector<std::string> folded;
    QMenuBar *bar = Form1->menuBar();
    for (QAction *menu : bar->actions()) {
        const QRect place = bar->actionGeometry(menu);
        if (menu->isVisible() && (!place.isValid() || !bar->rect().contains(place)))
            folded.push_back(WithoutAccessKeys(menu->text()).toStdString());
    }
    return folded;
}

TEST_F(Layout, EveryMenuIsSeenInTheMenuBarInEachLanguageAtAnyStep)
{
    atEachStep([&](const std::string &step) {
        for (int language = 0; language < LanguageCount; ++language) {
            // The release check reports once the language is set: a newer release's menu
            // joins the bar, last, and must find its room there.
            HideNewRelease();
            LanguageMenuClick(static_cast<Language>(language));
            QApplication::processEvents();
            ShowNewRelease("9.9.9");
            ASSERT_TRUE(ReleaseItems().MenunewVersion->menuAction()->isVisible());
            QApplication::processEvents();
            for (const std::string &menu : menusFoldedAway())
                ADD_FAILURE() << step << LanguageLetter(static_cast<Language>(language)) << ": " << menu;
        }
    });
    LanguageMenuClick(Language::English);
    HideNewRelease();
}

} // namespace
