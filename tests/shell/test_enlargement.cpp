// The enlargement as the user meets it: the Enlarge menu's five steps on the shown windows,
// the round trip back to the design, side windows shown at the step and back at their design
// when hidden, controls made later, the saved step, and the button pictures.

#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/buttonglyphs.h"
#include "shell/effectwindows.h"
#include "shell/formdialog.h"
#include "shell/mainwindow.h"
#include "shell/releasecheck.h"
#include "shell/settingsfile.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/startup.h"
#include "shell/utilities.h"
#include "shell/zoom.h"
#include "training/entrysheet.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <gtest/gtest.h>

#include <map>

namespace {

using shelltest::ensureWindows;

void showProgram()
{
    ensureWindows();
    PushSettingsIntoSideWindows();
    Form1->show();
}

template <typename T = QWidget>
T *control(const char *name)
{
    return Form1->findChild<T *>(QString::fromLatin1(name));
}

QAction *stepItem(int percent)
{
    return Form1->findChild<QAction *>(QStringLiteral("MenuAgrandir%1").arg(percent));
}

void choose(int percent)
{
    ASSERT_TRUE(ClickMenuItem(stepItem(percent)));
}

QRect scaled(const QRect &r, int percent)
{
    return {r.x() * percent / 100, r.y() * percent / 100, r.width() * percent / 100, r.height() * percent / 100};
}

// What the user sees of every control under a window: place, size, font, icon size.
struct Look {
    QRect geometry;
    qreal points;
    int pixels;
    QSize icon;
    bool operator==(const Look &) const = default;
};

// Every control that the program places itself (Qt's own parts and the items of a layout are
// placed by Qt).
std::map<QString, Look> lookOf(QWidget *root)
{
    std::map<QString, Look> looks;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        const QWidget *parent = w->parentWidget();
        if (w->isWindow() || w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))
            || (parent->layout() && parent->layout()->indexOf(w) >= 0))
            continue;
        auto *button = qobject_cast<QAbstractButton *>(w);
        looks[w->objectName()] = {w->geometry(), w->font().pointSizeF(), w->font().pixelSize(),
                                  button ? button->iconSize() : QSize()};
    }
    return looks;
}

std::string text(const Look &l)
{
    return std::to_string(l.geometry.x()) + "," + std::to_string(l.geometry.y()) + " " +
           std::to_string(l.geometry.width()) + "x" + std::to_string(l.geometry.height()) + " font " +
           std::to_string(l.points) + "/" + std::to_string(l.pixels) + " icon " + std::to_string(l.icon.width());
}

std::string differences(const std::map<QString, Look> &a, const std::map<QString, Look> &b)
{
    std::string out;
    for (const auto &[name, look] : a) {
        const auto other = b.find(name);
        if (other == b.end() || !(other->second == look)) {
            const Look seen = other == b.end() ? Look{} : other->second;
            out += name.toStdString() + ": " + text(look) + " -> " + text(seen) + "\n";
        }
    }
    return out;
}

TEST(Enlargement, EachStepScalesTheMainWindowAndItsControlsFromTheirDesign)
{
    showProgram();
    const QRect quit = control("ButtonQuitter")->geometry();
    const QRect typing = control("Editcaractere")->geometry();
    // Nested: a control of the random group box, which is hidden.
    const QRect count = control("SpinEditRandomNumber")->geometry();
    const qreal points = Form1->centralWidget()->font().pointSizeF();
    ASSERT_EQ(Form1->size(), QSize(660, 516));

    for (int percent : {125, 150, 175, 200, 100}) {
        choose(percent);
        SCOPED_TRACE(percent);
        EXPECT_EQ(ZoomPercent, percent);
        EXPECT_TRUE(stepItem(percent)->isChecked());
        EXPECT_EQ(Form1->size(), QSize(660 * percent / 100, 516 * percent / 100));
        EXPECT_EQ(Form1->minimumSize(), Form1->size());
        EXPECT_EQ(control("ButtonQuitter")->geometry(), scaled(quit, percent));
        EXPECT_EQ(control("Editcaractere")->geometry(), scaled(typing, percent));
        EXPECT_EQ(control("SpinEditRandomNumber")->geometry(), scaled(count, percent));
        EXPECT_DOUBLE_EQ(control("Editcaractere")->font().pointSizeF(), points * percent / 100);
    }
}

TEST(Enlargement, ThereAndBackPutsEveryControlExactlyWhereItWas)
{
    showProgram();
    const auto design = lookOf(Form1->centralWidget());
    ASSERT_GT(design.size(), 100u);

    choose(200);
    EXPECT_NE(lookOf(Form1->centralWidget()), design);
    choose(100);
    EXPECT_EQ(differences(design, lookOf(Form1->centralWidget())), "");
    EXPECT_EQ(Form1->size(), QSize(660, 516));

    for (int percent : {125, 150, 175, 200, 150, 125})
        choose(percent);
    choose(100);
    EXPECT_EQ(differences(design, lookOf(Form1->centralWidget())), "");
}

TEST(Enlargement, AStepAfterAStepScalesTheWindowByTheirRatioAndTheCurrentStepChangesNothing)
{
    showProgram();
    Form1->resize(700, 540); // the user's own size
    choose(125);
    EXPECT_EQ(Form1->size(), QSize(875, 675));
    choose(150);
    EXPECT_EQ(Form1->size(), QSize(1050, 810)); // 875 x 150 / 125
    const QRect quit = control("ButtonQuitter")->geometry();
    choose(150);
    EXPECT_EQ(Form1->size(), QSize(1050, 810));
    EXPECT_EQ(control("ButtonQuitter")->geometry(), quit);
    EXPECT_TRUE(stepItem(150)->isChecked());
    choose(100);
    EXPECT_EQ(Form1->size(), QSize(700, 540));
}

TEST(Enlargement, ControlsThatCodeMakesOrMovesLaterTakeTheStep)
{
    showProgram();
    choose(150);
    // Made now, placed in design pixels.
    auto *later = new QPushButton(QStringLiteral("later"), control("Frame"));
    later->setGeometry(10, 20, 50, 30);
    later->show();
    EXPECT_EQ(later->geometry(), QRect(15, 30, 75, 45));
    // Moved by code: the new place is design too.
    QWidget *stop = control("ButtonStop");
    stop->setGeometry(100, 200, 80, 28);
    stop->show();
    EXPECT_EQ(stop->geometry(), QRect(150, 300, 120, 42));
    EXPECT_EQ(DesignGeometry(stop), QRect(100, 200, 80, 28));
    // Sized to its contents: stays so.
    auto *label = new QLabel(QStringLiteral("a caption"), control("Frame"));
    label->adjustSize();
    label->move(40, 40);
    label->show();
    EXPECT_EQ(label->pos(), QPoint(60, 60));
    EXPECT_EQ(label->size(), label->sizeHint());

    choose(100);
    EXPECT_EQ(later->geometry(), QRect(10, 20, 50, 30));
    EXPECT_EQ(stop->geometry(), QRect(100, 200, 80, 28));
    EXPECT_EQ(label->pos(), QPoint(40, 40));
    EXPECT_EQ(label->size(), label->sizeHint());
}

TEST(Enlargement, ASideWindowIsShownAtTheStepAndHiddenAtItsDesignEveryTime)
{
    showProgram();
    TSideForm *card = FormMonitorInfo;
    QWidget *help = card->findChild<QWidget *>(QStringLiteral("ButtonHelp"));
    const QSize design = card->size();
    const QRect button = help->geometry();
    for (int percent : {125, 150, 175, 200}) {
        choose(percent);
        for (int i = 0; i < 5; ++i) {
            card->show();
            EXPECT_EQ(card->size(), QSize(design.width() * percent / 100, design.height() * percent / 100));
            EXPECT_EQ(help->geometry(), scaled(button, percent));
            card->hide();
            EXPECT_EQ(card->size(), design);
            EXPECT_EQ(help->geometry(), button);
        }
    }
}

TEST(Enlargement, AChangeClosesTheSideWindowsButTheZoomViewAndBackTo100KeepsTheHelpCardRescaled)
{
    showProgram();
    FormhelpChoixRandom->resize(200, 100);
    choose(150);
    FormMonitorInfo->show();
    FormhelpChoixRandom->show();
    ClickMenuItem(Form1->findChild<QAction *>(QStringLiteral("MenuZoom")));
    ASSERT_TRUE(FormZoom->isVisible());
    EXPECT_EQ(FormhelpChoixRandom->size(), QSize(300, 150));

    choose(100);
    EXPECT_FALSE(FormMonitorInfo->isVisible());
    EXPECT_TRUE(FormhelpChoixRandom->isVisible());
    EXPECT_EQ(FormhelpChoixRandom->size(), QSize(200, 100)); // no longer at 150 %
    EXPECT_TRUE(FormZoom->isVisible());
    EXPECT_TRUE(Form1->findChild<QAction *>(QStringLiteral("MenuZoom"))->isChecked());

    choose(125);
    EXPECT_FALSE(FormhelpChoixRandom->isVisible());
    FormhelpChoixRandom->show();
    EXPECT_EQ(FormhelpChoixRandom->size(), QSize(250, 125));
}

TEST(Enlargement, TheMainWindowAndTheMessageBoxAreOneAndAHalfTimesTheirSizeAt150)
{
    showProgram();
    QSize box100;
    shelltest::whenDialogShown([&] {
        box100 = FormDialog->size();
        FormDialog->ButtonOK->click();
    });
    ShowProgramMessage("Nothing to copy! Please select a text.");
    const QSize main100 = Form1->size();

    choose(150);
    QSize box150;
    QRect ok150;
    shelltest::whenDialogShown([&] {
        box150 = FormDialog->size();
        ok150 = FormDialog->ButtonOK->geometry();
        FormDialog->ButtonOK->click();
    });
    ShowProgramMessage("Nothing to copy! Please select a text.");
    auto near = [](int a, int b) { return std::abs(a - b) <= 1; };
    EXPECT_TRUE(near(Form1->width(), main100.width() * 3 / 2) && near(Form1->height(), main100.height() * 3 / 2))
        << Form1->width() << "x" << Form1->height();
    EXPECT_TRUE(near(box150.width(), box100.width() * 3 / 2) && near(box150.height(), box100.height() * 3 / 2))
        << box150.width() << "x" << box150.height();
    EXPECT_EQ(ok150.width(), 75 * 3 / 2);
    // Hidden again at its design: the next message at 100 % has its design size.
    choose(100);
    QSize again;
    shelltest::whenDialogShown([&] {
        again = FormDialog->size();
        FormDialog->ButtonOK->click();
    });
    ShowProgramMessage("Nothing to copy! Please select a text.");
    EXPECT_EQ(again, box100);
}

TEST(Enlargement, TheStepsOwnFontSizesOfTheEffectButtons)
{
    showProgram();
    QWidget *qsb = control("SpeedButtonQSB");
    for (auto [percent, points] : {std::pair{125, 11}, {150, 11}, {175, 13}, {200, 13}, {100, 9}}) {
        choose(percent);
        EXPECT_EQ(qsb->font().pointSize(), points) << percent;
        EXPECT_EQ(control("SpeedButtonDriftFile")->font().pointSize(), points) << percent;
    }
}

TEST(Enlargement, EverySideWindowOpensWholeOnTheScreenThatHoldsTheMainWindow)
{
    showProgram();
    for (int percent : {150, 200}) {
        choose(percent);
        const QRect area = Form1->screen()->availableGeometry();
        for (TSideForm *window : TSideForm::all()) {
            window->show();
            QApplication::processEvents();
            const QRect frame = window->frameGeometry();
            SCOPED_TRACE(window->objectName().toStdString() + " at " + std::to_string(percent));
            // One larger than the screen shows its top left corner.
            EXPECT_GE(frame.left(), area.left());
            EXPECT_GE(frame.top(), area.top());
            if (frame.width() <= area.width()) {
                EXPECT_LE(frame.right(), area.right());
            }
            if (frame.height() <= area.height()) {
                EXPECT_LE(frame.bottom(), area.bottom());
            }
            window->hide();
        }
    }
    choose(100);
}

TEST(Enlargement, TheDriftPictureFillsItsWindowAtEveryStep)
{
    showProgram();
    for (int percent : {150, 200, 100}) {
        choose(percent);
        FormDriftBMP->show();
        QApplication::processEvents();
        const auto *picture = FormDriftBMP->findChild<QLabel *>(QStringLiteral("ImageDrift"));
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(FormDriftBMP->size(), QSize(320 * percent / 100, 200 * percent / 100)) << percent;
        EXPECT_EQ(picture->geometry(), FormDriftBMP->rect()) << percent;
        EXPECT_EQ(picture->pixmap().size(), FormDriftBMP->size()) << percent;
        FormDriftBMP->hide();
    }
}

void writeSettings(const std::string &lines)
{
    QDir().mkpath(QFileInfo(SettingsFilePath()).path());
    QFile file(SettingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString("[KESTRELON 5.2.9]\r\n" + lines));
}

TEST(Enlargement, TheSavedStepIsAppliedAtStartAndOnlyAStepIsTaken)
{
    for (auto [value, percent] : {std::pair{"150", 150}, {"0", 100}, {"130", 100}, {"x", 100}}) {
        writeSettings(std::string("MAINZOOM=") + value + "\r\n");
        ensureWindows();
        SCOPED_TRACE(value);
        EXPECT_EQ(ZoomPercent, percent);
        EXPECT_TRUE(stepItem(percent)->isChecked());
        EXPECT_EQ(Form1->minimumSize(), QSize(660 * percent / 100, 516 * percent / 100));
        EXPECT_EQ(control("ButtonQuitter")->width(), 80 * percent / 100);
        bool written = false;
        for (const settings::Line &line : Settings().write())
            if (line.key == "MAINZOOM=") {
                written = true;
                EXPECT_EQ(line.value, std::to_string(percent));
            }
        EXPECT_EQ(written, percent != 100);
        // The step chooses nothing for the user: the choice box stays blank.
        for (const settings::Line &line : Settings().write())
            EXPECT_NE(line.key, "CHOSEN_CHAR=") << line.value;
        DestroyAllWindows();
    }
}

// The mode buttons are placed by their captions' widths: at a step a caption grows, its
// button's round mark does not.
// The menu bar keeps its font at every step. The menus shown decide the window's least width:
// the hidden release menu takes no room in any language, and when it appears the window
// widens for it, at every step only as far as the menus need.
TEST(Enlargement, OnlyTheMenusShownHoldTheWindowWiderAndTheReleaseMenuWidensItWhenItAppears)
{
    showProgram();
    for (QAction *language : {Form1->Magyar1, Form1->Deutsch1, Form1->Francais1, Form1->Italiano1,
                              Form1->Portugues1, Form1->Espagnol1, Form1->English1}) {
        ASSERT_TRUE(ClickMenuItem(language));
        EXPECT_EQ(Form1->size(), QSize(660, 516)) << language->objectName().toStdString();
    }
    ASSERT_TRUE(ClickMenuItem(Form1->Espagnol1));
    ShowNewRelease("5.3.0");
    const int menus = Form1->minimumWidth();
    ASSERT_GT(menus, 660);
    EXPECT_EQ(Form1->width(), menus);
    for (int percent : {200, 125, 100}) {
        SCOPED_TRACE(percent);
        choose(percent);
        EXPECT_EQ(Form1->size(), QSize(std::max(660 * percent / 100, menus), 516 * percent / 100));
    }
    HideNewRelease();
    EXPECT_EQ(Form1->size(), QSize(660, 516));
}

TEST(Enlargement, BackAt100AfterALanguageChosenAtAStepOrAStartAtASavedStepEveryControlIsAtItsDesign)
{
    showProgram();
    const auto design = lookOf(Form1->centralWidget());
    choose(150);
    ASSERT_TRUE(ClickMenuItem(Form1->Deutsch1));
    ASSERT_TRUE(ClickMenuItem(Form1->English1));
    choose(100);
    EXPECT_EQ(differences(design, lookOf(Form1->centralWidget())), "");

    DestroyAllWindows();
    writeSettings("MAINZOOM=150\r\n");
    showProgram();
    ASSERT_EQ(ZoomPercent, 150);
    choose(100);
    EXPECT_EQ(differences(design, lookOf(Form1->centralWidget())), "");
}

TEST(Enlargement, AStartAtASavedStepShowsTheMainWindowAsChoosingTheStepDoes)
{
    for (int percent : {125, 175}) {
        SCOPED_TRACE(percent);
        showProgram();
        choose(percent);
        QApplication::processEvents();
        const auto chosen = lookOf(Form1->centralWidget());
        DestroyAllWindows();
        writeSettings("MAINZOOM=" + std::to_string(percent) + "\r\n");
        showProgram();
        QApplication::processEvents();
        EXPECT_EQ(differences(chosen, lookOf(Form1->centralWidget())), "");
        DestroyAllWindows();
        writeSettings("");
    }
}

TEST(ButtonPictures, ThirteenPicturesAtFiveStepsEachDrawnAndDistinct)
{
    ASSERT_EQ(ButtonGlyphNames().size(), 13);
    std::map<QString, QImage> at100;
    for (const QString &name : ButtonGlyphNames()) {
        for (int step : {100, 125, 150, 175, 200}) {
            const QPixmap picture = ButtonGlyph(name.toUpper(), step);
            ASSERT_FALSE(picture.isNull()) << name.toStdString() << step;
            EXPECT_EQ(picture.size(), QSize(16 * step / 100, 16 * step / 100));
            const QImage image = picture.toImage();
            int drawn = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    drawn += qAlpha(image.pixel(x, y)) > 0;
            EXPECT_GT(drawn, image.width()) << name.toStdString() << step;
            EXPECT_LT(drawn, image.width() * image.height()) << "transparent around " << name.toStdString();
        }
        const QImage image = ButtonGlyph(name, 100).toImage();
        for (const auto &[other, seen] : at100)
            EXPECT_NE(image, seen) << name.toStdString() << " looks like " << other.toStdString();
        at100[name] = image;
    }
    EXPECT_TRUE(ButtonGlyph(QStringLiteral("play"), 110).isNull());
    EXPECT_TRUE(ButtonGlyph(QStringLiteral("nothing"), 100).isNull());
}

TEST(ButtonPictures, TheButtonsTakeTheStepsPictures)
{
    showProgram();
    auto *quit = control<QAbstractButton>("ButtonQuitter");
    auto *clear = control<QAbstractButton>("SpeedButtonRAZtext");
    EXPECT_EQ(quit->iconSize(), QSize(16, 16));
    EXPECT_FALSE(quit->icon().isNull());
    choose(175);
    EXPECT_EQ(quit->iconSize(), QSize(28, 28));
    EXPECT_EQ(clear->iconSize(), QSize(28, 28));
    EXPECT_EQ(quit->icon().pixmap(28, 28).toImage(), ButtonGlyph(QStringLiteral("exit"), 175).toImage());
}

} // namespace
