// Window places and sizes from the settings file and the command line, held to the screen.

#include "shell/commandline.h"
#include "shell/mainwindow.h"
#include "shell/settingsgeometry.h"
#include "shell/settingskeys.h"
#include "shell/shellsettingskeys.h"
#include "tests/shell/shelltestsupport.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

#include <climits>

TEST(SettingsGeometry, HeldToTheAreaWithoutOverflowAndNeverBelowTheMinimum)
{
    const QSize design(660, 516);
    const QRect screen(0, 0, 800, 600);
    struct Case {
        QPoint topLeft;
        QSize size;
        QSize frame;
        QRect area;
        QRect held;
    } cases[] = {
        {{100, 50}, {700, 540}, {0, 0}, screen, {100, 50, 700, 540}},
        {{INT_MAX, INT_MAX}, {INT_MAX, INT_MAX}, {0, 0}, screen, {0, 0, 800, 600}},
        {{INT_MIN, INT_MIN}, {100000, 65536}, {0, 0}, screen, {0, 0, 800, 600}},
        {{700, 500}, {1, -5}, {0, 0}, screen, {140, 84, 660, 516}},
        {{INT_MAX, 10}, {700, 540}, {10, 30}, screen, {90, 10, 700, 540}},
        {{0, 0}, {5000, 5000}, {10, 30}, screen, {0, 0, 790, 570}},
        // A screen smaller than the design: the design size wins, at the screen's corner.
        {{300, 300}, {800, 600}, {0, 0}, {0, 0, 640, 480}, {0, 0, 660, 516}},
        // A second screen to the right of the first.
        {{100, 100}, {700, 540}, {0, 0}, {1920, 0, 1280, 1024}, {1920, 100, 700, 540}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(HeldToArea(c.topLeft, c.size, design, c.frame, c.area), c.held)
            << c.topLeft.x() << "," << c.topLeft.y() << " " << c.size.width() << "x" << c.size.height();
}

TEST(SettingsGeometry, QtsGeometryOptionIsReadAsQtReadsIt)
{
    struct Case {
        const char *text;
        bool valid;
        std::optional<int> width, height, x, y;
        bool fromRight, fromBottom;
    } cases[] = {
        {"700x550", true, 700, 550, {}, {}, false, false},
        {"=99999X99999+5-7", true, 99999, 99999, 5, 7, false, true},
        {"-0+0", true, {}, {}, 0, 0, true, false},
        {"+2147483647+2147483647", true, {}, {}, INT_MAX, INT_MAX, false, false},
        {"2147483648x5", false, {}, {}, {}, {}, false, false},
        {"700", false, {}, {}, {}, {}, false, false},
        {"700x", false, {}, {}, {}, {}, false, false},
        {"x550", false, {}, {}, {}, {}, false, false},
        {"+5", false, {}, {}, {}, {}, false, false},
        {"700x550+5+5junk", false, {}, {}, {}, {}, false, false},
        {"", false, {}, {}, {}, {}, false, false},
    };
    for (const Case &c : cases) {
        auto asked = ParseWindowGeometry(c.text);
        ASSERT_EQ(asked.has_value(), c.valid) << c.text;
        if (!asked)
            continue;
        EXPECT_EQ(asked->width, c.width) << c.text;
        EXPECT_EQ(asked->height, c.height) << c.text;
        EXPECT_EQ(asked->x, c.x) << c.text;
        EXPECT_EQ(asked->y, c.y) << c.text;
        EXPECT_EQ(asked->fromRight, c.fromRight) << c.text;
        EXPECT_EQ(asked->fromBottom, c.fromBottom) << c.text;
    }
}

namespace {

struct ShownMainWindow {
    ShownMainWindow()
    {
        shelltest::ensureWindows();
        Form1->show();
        area = QGuiApplication::primaryScreen()->availableGeometry();
    }
    ~ShownMainWindow()
    {
        Form1->resize(TForm1::DesignWidth, TForm1::DesignHeight);
        Form1->move(area.topLeft());
        Form1->hide();
    }
    QRect area;
    bool onScreen() const { return area.contains(Form1->frameGeometry()); }
};

} // namespace

TEST(SettingsGeometry, TheMainWindowCannotBeMadeSmallerThanItsDesignSoQuitStaysOnScreen)
{
    ShownMainWindow window;
    Form1->resize(200, 100);
    QCoreApplication::processEvents();
    EXPECT_GE(Form1->width(), TForm1::DesignWidth);
    EXPECT_GE(Form1->height(), TForm1::DesignHeight);
    EXPECT_TRUE(Form1->Frame->rect().contains(Form1->ButtonQuitter->geometry()));
}

TEST(SettingsGeometry, AStoredPlaceAndSizeOffTheScreenComeBackOnIt)
{
    ShownMainWindow window;
    BindShellSettingsKeys(Settings());
    for (const char *place : {"2147483647,2147483647", "-2147483648,-2147483648", "99999,-99999"}) {
        for (const char *size : {"100000,100000", "2147483647,65536", "-5,0", "1,1"}) {
            Settings().read({{"WINPOS=", place}, {"WINDIM=", size}});
            EXPECT_TRUE(window.onScreen()) << place << " " << size;
            EXPECT_GE(Form1->width(), TForm1::DesignWidth) << size;
            EXPECT_GE(Form1->height(), TForm1::DesignHeight) << size;
        }
    }
    // What fits stays as it was asked; a part that is no number leaves that part.
    Settings().read({{"WINPOS=", "20,30"}, {"WINDIM=", "530,700"}, {"WINPOS=", "x,40"}});
    EXPECT_EQ(Form1->pos(), QPoint(40, 20));
    EXPECT_EQ(Form1->size(), QSize(700, 530));
}

TEST(SettingsGeometry, QtsGeometryOptionIsTakenFromTheArgumentsAndHeldToTheScreen)
{
    ShownMainWindow window;
    std::string args[] = {"kestrelon", "-qwindowgeometry", "99999x99999+2147483647-2147483647", "/F", "S=20"};
    char *argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), args[4].data(), nullptr};
    int argc = 5;
    TakeWindowGeometryArgument(argc, argv);
    ASSERT_EQ(argc, 3);
    EXPECT_STREQ(argv[1], "/F");
    EXPECT_STREQ(argv[2], "S=20");
    EXPECT_EQ(argv[3], nullptr);

    ApplyCommandLine({});
    EXPECT_EQ(Form1->frameGeometry().size(), window.area.size());
    EXPECT_TRUE(window.onScreen());

    // Flush with the far corner, at the asked size.
    std::string corner[] = {"kestrelon", "--geometry", "700x550-0-0"};
    char *argv2[] = {corner[0].data(), corner[1].data(), corner[2].data(), nullptr};
    argc = 3;
    TakeWindowGeometryArgument(argc, argv2);
    ApplyCommandLine({});
    EXPECT_EQ(Form1->size(), QSize(700, 550));
    EXPECT_EQ(Form1->frameGeometry().bottomRight(), window.area.bottomRight());
}
