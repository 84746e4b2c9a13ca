#include "shell/hintdisplaytime.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPushButton>
#include <QToolTip>
#include <gtest/gtest.h>

// Every tooltip stays the application's hint display time, whatever the length of its text,
// unless its widget was given a time of its own; a later time replaces the earlier one.
TEST(HintDisplayTime, EveryTooltipStaysTheApplicationsTime)
{
    QPushButton plain(QStringLiteral("Quit"));
    plain.setToolTip(QString(300, QLatin1Char('x'))); // by default about 18 s
    QPushButton own(QStringLiteral("Stop"));
    own.setToolTip(QStringLiteral("Stop"));
    own.setToolTipDuration(2000);
    auto hover = [](QWidget &w) {
        w.show();
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), w.mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(&w, &help);
    };

    SetHintDisplayTime(5000);
    hover(plain);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), plain.toolTip());
    EXPECT_EQ(plain.toolTipDuration(), 5000);
    hover(own);
    EXPECT_EQ(own.toolTipDuration(), 2000);

    SetHintDisplayTime(4000);
    hover(plain);
    EXPECT_EQ(plain.toolTipDuration(), 4000);
    SetHintDisplayTime(5000);
    QToolTip::hideText();
}
