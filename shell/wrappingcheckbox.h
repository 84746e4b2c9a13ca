#pragma once

#include <QCheckBox>

// A check box whose caption wraps over several lines in its width; a click anywhere on it
// toggles it.
class WrappingCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

    // Where the caption is drawn: the box's width beside the indicator.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    QRect indicatorRect() const;
};
