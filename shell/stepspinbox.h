#pragma once

// An up-down whose positions are its minimum plus whole steps (the level in steps of 3 dB,
// the start silence in steps of 3): a typed value between two steps is taken as the nearest
// step when the edit is finished, never as a position of its own.

#include <QSpinBox>

#include <algorithm>

class StepSpinBox : public QSpinBox {
public:
    StepSpinBox(int minimum, int maximum, int step, int value, QWidget *parent)
        : QSpinBox(parent)
    {
        setRange(minimum, maximum);
        setSingleStep(step);
        setValue(value);
    }

    // The step position nearest to `value`, inside the range.
    int nearestStep(int value) const
    {
        const int step = singleStep() > 0 ? singleStep() : 1;
        const int offset = std::clamp(value, minimum(), maximum()) - minimum();
        const int steps = (offset + step / 2) / step;
        return std::min(minimum() + steps * step, maximum());
    }

protected:
    QValidator::State validate(QString &text, int &pos) const override
    {
        const QValidator::State state = QSpinBox::validate(text, pos);
        if (state != QValidator::Acceptable)
            return state;
        const int value = valueFromText(text);
        return value == nearestStep(value) ? QValidator::Acceptable : QValidator::Intermediate;
    }
    void fixup(QString &text) const override
    {
        QSpinBox::fixup(text);
        bool ok = false;
        const int value = locale().toInt(text.trimmed(), &ok);
        if (ok)
            text = textFromValue(nearestStep(value));
    }
};
