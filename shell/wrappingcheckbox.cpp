#include "shell/wrappingcheckbox.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

QRect WrappingCheckBox::indicatorRect() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    QRect indicator = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    indicator.moveTop(std::max(0, (fontMetrics().height() - indicator.height()) / 2));
    return indicator;
}

QRect WrappingCheckBox::captionRect() const
{
    return rect().adjusted(indicatorRect().right() + 6, 0, 0, 0);
}

void WrappingCheckBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.rect = indicatorRect();
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, option);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(captionRect(), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text());
}

bool WrappingCheckBox::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}
