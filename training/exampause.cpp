// The exam's pause window FormPause: the pause text, a pie gauge of the time left, "Poursuivre"
// (go on at once) and Abort. The pause belongs to the exam, not to the window: the count goes
// on while an enlargement hides the window for a moment, and ends with Cancel, a Stop, another
// mode, Play, closing the window, or the quit.

#include "training/examinternal.h"

#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/sidewindows.h"
#include "shell/utilities.h"
#include "training/randominternal.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {

// French in every language, as all of the exam.
constexpr Tr kTitle = Alike("Pause examen");
constexpr Tr kGoOn = Alike("&Poursuivre");
constexpr Tr kCancel = Alike("Abandon");

// A gauge drawn as a pie: the part left, in percent.
class PieGauge : public QWidget {
public:
    using QWidget::QWidget;

    int value() const { return m_value; }
    void setValue(int percent)
    {
        m_value = std::clamp(percent, 0, 100);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const int side = std::min(width(), height()) - 4;
        const QRect circle((width() - side) / 2, (height() - side) / 2, side, side);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setBrush(palette().color(QPalette::Base));
        painter.drawEllipse(circle);
        painter.setBrush(palette().color(QPalette::Highlight));
        // Qt's angles are sixteenths of a degree, counter-clockwise from three o'clock.
        painter.drawPie(circle, 90 * 16, -m_value * 360 * 16 / 100);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("%1 %").arg(m_value));
    }

private:
    int m_value = 100;
};

struct PauseControls {
    QLabel *StaticText1 = nullptr;
    PieGauge *GaugePause = nullptr;
    QPushButton *BitBtnIgnore = nullptr;
    QPushButton *BitBtnCancel = nullptr;
    QTimer *TimerPause = nullptr;
};

PauseControls controls;

bool pauseRunning()
{
    ExamModule *m = ExamModuleState();
    return m && m->pause.Running();
}

// Closing the window by its title bar cancels the pause. Hidden while the pause goes on (an
// enlargement closes every side window), the window opens again once that is over, at the
// new step, with the seconds it had left.
class PauseWindowEvents : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close && pauseRunning())
            BitBtnCancelClick();
        if (event->type() == QEvent::Hide && pauseRunning()) {
            QTimer::singleShot(0, watched, [] {
                if (pauseRunning() && FormPause && FormPause->isHidden()) {
                    FormPause->show();
                    FormPause->raise();
                }
            });
        }
        return QObject::eventFilter(watched, event);
    }
};

// The window's contents, made in FormPause the first time a pause shows.
QWidget *pauseContent()
{
    ExamModule *m = ExamModuleState();
    if (!m || !FormPause)
        return nullptr;
    if (m->PauseContent && m->PauseContent->parent() == FormPause)
        return m->PauseContent;

    FormPause->setWindowTitle(Pick(kTitle));
    FormPause->setWindowFlag(Qt::WindowStaysOnTopHint);
    FormPause->resize(320, 180);
    FormPause->installEventFilter(new PauseWindowEvents(FormPause));
    auto *content = new QWidget(FormPause);
    content->setObjectName(QStringLiteral("PauseContent"));
    content->setGeometry(0, 0, 320, 180);

    controls.StaticText1 = new QLabel(content);
    controls.StaticText1->setObjectName(QStringLiteral("StaticText1"));
    controls.StaticText1->setWordWrap(true);
    controls.StaticText1->setGeometry(12, 12, 296, 36);
    controls.GaugePause = new PieGauge(content);
    controls.GaugePause->setObjectName(QStringLiteral("GaugePause"));
    controls.GaugePause->setGeometry(12, 52, 110, 110);
    controls.BitBtnIgnore = new QPushButton(Pick(kGoOn), content);
    controls.BitBtnIgnore->setObjectName(QStringLiteral("BitBtnIgnore"));
    controls.BitBtnIgnore->setGeometry(150, 70, 150, 30);
    QObject::connect(controls.BitBtnIgnore, &QPushButton::clicked, controls.BitBtnIgnore,
                     [] { BitBtnIgnoreClick(controls.BitBtnIgnore); });
    controls.BitBtnCancel = new QPushButton(Pick(kCancel), content);
    controls.BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    controls.BitBtnCancel->setGeometry(150, 112, 150, 30);
    QObject::connect(controls.BitBtnCancel, &QPushButton::clicked, controls.BitBtnCancel,
                     [] { BitBtnCancelClick(controls.BitBtnCancel); });
    controls.TimerPause = new QTimer(content);
    controls.TimerPause->setObjectName(QStringLiteral("TimerPause"));
    controls.TimerPause->setInterval(1000);
    controls.TimerPause->setTimerType(Qt::PreciseTimer);
    QObject::connect(controls.TimerPause, &QTimer::timeout, controls.TimerPause, [] { TimerPauseTimer(); });
    m->PauseContent = content;
    return content;
}

// The pause is over: its count stops and the window goes.
void endPause()
{
    ExamModule *m = ExamModuleState();
    if (m)
        m->pause.Stop();
    if (m && m->PauseContent) {
        controls.TimerPause->stop();
        FormPause->hide();
    }
}

} // namespace

void ShowExamPause()
{
    ExamModule *m = ExamModuleState();
    if (!m || !pauseContent())
        return;
    m->pause.Start(m->state.ExamPhase);
    controls.StaticText1->setText(ExamText(m->pause.Text()));
    controls.GaugePause->setValue(100);
    controls.TimerPause->start();
    FormPause->show();
    FormPause->raise();
}

void TimerPauseTimer()
{
    ExamModule *m = ExamModuleState();
    if (!m || !m->PauseContent)
        return;
    if (!m->pause.Running()) {
        controls.TimerPause->stop();
        return;
    }
    if (m->pause.Expired()) {
        BitBtnIgnoreClick(controls.BitBtnIgnore);
        return;
    }
    controls.GaugePause->setValue(m->pause.Gauge());
}

void BitBtnIgnoreClick(QObject *)
{
    ExamModule *m = ExamModuleState();
    if (!m || !m->pause.Running())
        return;
    endPause();
    // Nothing may start over what the user began meanwhile.
    if (!ExamGoesOn()) {
        BitBtnCancelClick();
        return;
    }
    RandomModule &r = RandomModuleState();
    if (m->state.ExamPhase == 1) {
        m->state.ExamPhase = 2;
        SetExamCaption(exam::Phase2Running);
        BitBtnPlayRandomClick(r.BitBtnPlayRandom);
    } else {
        m->state.ExamPhase = 3;
        SetExamCaption(exam::Phase3Running);
        ButtonExamenTexteClick(m->ButtonExamenTexte);
    }
}

void BitBtnCancelClick(QObject *)
{
    ExamModule *m = ExamModuleState();
    if (!m)
        return;
    endPause();
    exam::Reset(m->state);
    if (m->form)
        m->form->Engine.QuickSeries = false;
    SetExamCaption(exam::CancelledCaption);
}

TFormPause *FormPause = nullptr;

TFormPause::TFormPause(QWidget *parent)
    : TSideForm("FormPause", parent)
{
}
