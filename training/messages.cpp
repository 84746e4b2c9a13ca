#include "training/messages.h"
#include "shell/utilities.h"

#include "engine/cp1252.h"
#include "shell/accessiblenames.h"
#include "shell/help.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingsforms.h"
#include "shell/settingskeys.h"
#include "shell/settingspanels.h"
#include "shell/sidewindows.h"
#include "training/typing.h"
#include "training/widgetevents.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>

std::array<std::string, MemoryMessages + 1> Messages;
int MessageIndex = 1;
std::string BeaconMessage;

namespace {

constexpr const char *DefaultFirstMessage = "73 de ZELMO";
const QRect PanelMsgGeometry(140, 70, 380, 300);

struct MessageControls {
    QLabel *LabelMsg = nullptr;
    std::array<QPushButton *, MemoryMessages + 1> ButtonMsg{};
    QFrame *PanelMsg = nullptr;
    QLabel *LabelPanelMsg = nullptr;
    QPushButton *ButtonCloseMsg = nullptr;
    std::array<QLabel *, MemoryMessages + 1> StaticTextMsg{};
    std::array<QLineEdit *, MemoryMessages + 1> EditMsg{};
    QPushButton *ButtonLocalMessageHelp = nullptr; // the help module connects it by its name
    QAction *MenuLocalMessages = nullptr;
    QPoint dragStart; // where a drag of the editor's title began (null: none)
} c;

// MSG= lines read so far in this read.
int readMessages = 0;

TForm1 &form()
{
    return *Form1;
}

template <typename T>
T *control(const char *name)
{
    return form().findChild<T *>(QString::fromLatin1(name));
}

bool demoVisible()
{
    return SideWindowVisible(SideWindowPlace::DemoView);
}

QString indexed(const char *name, int n)
{
    return QString::fromLatin1(name) + QString::number(n);
}

constexpr TextRow kTexts[] = {
    {"LabelMsg", TextKind::Caption, Tr("MSG # >>", "ÜZ # >>", "MIT # >>", "MSG # >>", "MSG # >>", "MSG # >>", "MSJ # >>")},
    {"LabelPanelMsg", TextKind::Caption,
     Tr("MESSAGES", "ÜZENETEK", "MITTEILUNGEN", "MESSAGES", "MESSAGGI", "MENSAGENS", "MENSAJES")},
    {"MenuLocalMessages", TextKind::Caption,
     Tr("Memory &messages", "Tárolt ü&zenetek", "Gespeicherte &Mitteilungen", "&Messages mémorisés",
        "&Messaggi memorizzati", "&Mensagens memorizadas", "&Mensajes memorizados")},
    {"PanelMsg", TextKind::Hint,
     Tr("Drag the title out of the window to keep the messages at hand",
        "Húzd ki a címet az ablakból, hogy az üzenetek kéznél legyenek",
        "Ziehen Sie den Titel aus dem Fenster, um die Mitteilungen griffbereit zu halten",
        "Faites glisser le titre hors de la fenêtre pour garder les messages à portée de main",
        "Trascinate il titolo fuori dalla finestra per tenere i messaggi a portata di mano",
        "Arraste o título para fora da janela para manter as mensagens à mão",
        "Arrastre el título fuera de la ventana para tener los mensajes a mano")},
    {"StaticTextMsg1", TextKind::Caption, Tr("MSG#1", "ÜZ#1", "MIT#1", "MSG#1", "MSG#1", "MSG#1", "MSJ#1")},
    {"StaticTextMsg2", TextKind::Caption, Tr("MSG#2", "ÜZ#2", "MIT#2", "MSG#2", "MSG#2", "MSG#2", "MSJ#2")},
    {"StaticTextMsg3", TextKind::Caption, Tr("MSG#3", "ÜZ#3", "MIT#3", "MSG#3", "MSG#3", "MSG#3", "MSJ#3")},
    {"StaticTextMsg4", TextKind::Caption, Tr("MSG#4", "ÜZ#4", "MIT#4", "MSG#4", "MSG#4", "MSG#4", "MSJ#4")},
    {"StaticTextMsg5", TextKind::Caption, Tr("MSG#5", "ÜZ#5", "MIT#5", "MSG#5", "MSG#5", "MSG#5", "MSJ#5")},
    {"StaticTextMsg6", TextKind::Caption, Tr("MSG#6", "ÜZ#6", "MIT#6", "MSG#6", "MSG#6", "MSG#6", "MSJ#6")},
    {"ButtonCloseMsg", TextKind::Caption, Alike("x")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

// A message as the user enters it or the file holds it: the edit shows it, the button's hint
// repeats it.
void setMessage(int n, const std::string &text)
{
    if (c.EditMsg[n])
        c.EditMsg[n]->setText(cp1252::toQString(text)); // EditMsgChange stores it
    else
        Messages[n] = text;
}

void EditMsgChange(int n)
{
    const QString text = c.EditMsg[n]->text();
    Messages[n] = cp1252::fromQString(text);
    c.ButtonMsg[n]->setToolTip(text);
}

// The editor leaves the window as a small window of its own; closing that puts it back.
void floatMessagePanel(QPoint at)
{
    QFrame *panel = c.PanelMsg;
    PanelMsgStartDock();
    panel->setWindowFlags(Qt::Tool);
    panel->setWindowTitle(c.LabelPanelMsg->text());
    panel->move(at);
    panel->show();
}

void dockMessagePanel()
{
    QFrame *panel = c.PanelMsg;
    if (!panel->isWindow())
        return;
    const bool shown = !panel->isHidden();
    panel->setWindowFlags(Qt::Widget);
    panel->setGeometry(PanelMsgGeometry);
    c.LabelPanelMsg->show();
    c.ButtonCloseMsg->show();
    panel->setVisible(shown);
}

// The editor's title is its handle: dragged beyond the window's frame, the editor floats.
bool titleEvent(QEvent *event)
{
    auto *mouse = dynamic_cast<QMouseEvent *>(event);
    if (!mouse)
        return false;
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
        c.dragStart = mouse->globalPosition().toPoint();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        c.dragStart = QPoint();
        return false;
    }
    if (event->type() == QEvent::MouseMove && (mouse->buttons() & Qt::LeftButton) && !c.dragStart.isNull()) {
        const QPoint at = mouse->globalPosition().toPoint();
        const QRect frame(form().Frame->mapToGlobal(QPoint(0, 0)), form().Frame->size());
        if (!frame.contains(at)) {
            c.dragStart = QPoint();
            floatMessagePanel(at);
        }
        return true;
    }
    return false;
}

void buildMessageButtons(TForm1 &f)
{
    c.LabelMsg = Named(new QLabel(QStringLiteral("MSG # >>"), f.Frame), "LabelMsg");
    // A row of their own under the effect switches, beside the on-air lamps.
    c.LabelMsg->setGeometry(110, 448, 66, 24);
    for (int n = 1; n <= MemoryMessages; ++n) {
        auto *button = new QPushButton(QString::number(n), f.Frame);
        button->setObjectName(indexed("ButtonMsg", n));
        MarkAsValue(button); // its number, and the user's message as its hint
        button->setGeometry(176 + (n - 1) * 32, 446, 28, 28);
        QObject::connect(button, &QPushButton::clicked, button, [n] { ButtonMsgClick(n); });
        // ButtonMsgnMouseUp: a right click opens the editor.
        OnWidgetEvent(button, [](QEvent *event) {
            if (event->type() == QEvent::MouseButtonRelease
                && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
                MenuLocalMessagesClick();
            return false;
        });
        c.ButtonMsg[n] = button;
    }
}

void buildMessagePanel(TForm1 &f)
{
    c.PanelMsg = Named(new QFrame(f.Frame), "PanelMsg");
    c.PanelMsg->setFrameShape(QFrame::Panel);
    c.PanelMsg->setFrameShadow(QFrame::Raised);
    c.PanelMsg->setAutoFillBackground(true);
    c.PanelMsg->setGeometry(PanelMsgGeometry);

    c.LabelPanelMsg = Named(new QLabel(QStringLiteral("MESSAGES"), c.PanelMsg), "LabelPanelMsg");
    c.LabelPanelMsg->setGeometry(8, 6, 330, 20);
    c.LabelPanelMsg->setAlignment(Qt::AlignCenter);
    c.LabelPanelMsg->setCursor(Qt::SizeAllCursor);
    OnWidgetEvent(c.LabelPanelMsg, titleEvent);
    c.ButtonCloseMsg = Named(new QPushButton(QStringLiteral("x"), c.PanelMsg), "ButtonCloseMsg");
    c.ButtonCloseMsg->setGeometry(348, 4, 24, 22);
    QObject::connect(c.ButtonCloseMsg, &QPushButton::clicked, c.ButtonCloseMsg, [] { ButtonCloseMsgClick(); });

    for (int n = 1; n <= MemoryMessages; ++n) {
        auto *label = new QLabel(QStringLiteral("MSG#%1").arg(n), c.PanelMsg);
        label->setObjectName(indexed("StaticTextMsg", n));
        label->setGeometry(8, 36 + (n - 1) * 36, 56, 26);
        label->setFrameShape(QFrame::Panel);
        label->setCursor(Qt::PointingHandCursor);
        OnWidgetEvent(label, [n](QEvent *event) {
            if (event->type() == QEvent::MouseButtonRelease
                && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
                StaticTextMsgClick(n);
                return true;
            }
            return false;
        });
        c.StaticTextMsg[n] = label;

        auto *edit = new QLineEdit(c.PanelMsg);
        edit->setObjectName(indexed("EditMsg", n));
        edit->setGeometry(70, 36 + (n - 1) * 36, 300, 26);
        edit->setMaxLength(static_cast<int>(settings::MaxTextValue));
        QObject::connect(edit, &QLineEdit::textChanged, edit, [n] { EditMsgChange(n); });
        NameAfter(edit, label);
        c.EditMsg[n] = edit;
    }
    c.ButtonLocalMessageHelp = Named(new QPushButton(QStringLiteral("?"), c.PanelMsg), "ButtonLocalMessageHelp");
    c.ButtonLocalMessageHelp->setGeometry(348, 260, 24, 24);
    NameHelpButton(c.ButtonLocalMessageHelp, c.LabelPanelMsg);

    // Closed while floating, it comes back into the window, hidden.
    OnWidgetEvent(c.PanelMsg, [](QEvent *event) {
        if (event->type() != QEvent::Close || !c.PanelMsg->isWindow())
            return false;
        event->ignore();
        ButtonCloseMsgClick();
        return true;
    });
    c.PanelMsg->hide();
}

} // namespace

void BuildMessagesModule(TForm1 &f)
{
    c = MessageControls{};
    Messages = {};
    Messages[1] = DefaultFirstMessage;
    BeaconMessage.clear();
    MessageIndex = 1;
    RegisterMainWindowTexts(kTexts);

    buildMessageButtons(f);
    buildMessagePanel(f);
    for (int n = 1; n <= MemoryMessages; ++n)
        setMessage(n, Messages[n]);

    c.MenuLocalMessages = Named(new QAction(QStringLiteral("Memory &messages"), f.MenuOutils), "MenuLocalMessages");
    f.MenuOutils->insertAction(f.MenuOutilsQuit, c.MenuLocalMessages);
    QObject::connect(c.MenuLocalMessages, &QAction::triggered, c.MenuLocalMessages, [] { MenuLocalMessagesClick(); });
    BuildShortcutPanel(f);

    // Six lines always, empty ones included: a message keeps its number (the beacon's
    // message boxes refer to messages by number).
    Settings().addReadStart("messages", [] { readMessages = 0; });
    Settings().bind(
        "MSG=",
        [](const std::string &value) {
            if (readMessages >= MemoryMessages)
                return;
            ++readMessages;
            setMessage(readMessages, value.substr(0, settings::MaxTextValue));
        },
        [](std::vector<std::string> &values) {
            for (int n = 1; n <= MemoryMessages; ++n)
                values.push_back(Messages[n]);
        });
}

// ---- Handlers: messages ---------------------------------------------------------------------------

void ButtonMsgClick(int n)
{
    MessageIndex = n;
    ButtonMsgXClick();
}

void ButtonMsgXClick()
{
    const std::string message = MessageIndex == BeaconMessageIndex                  ? BeaconMessage
                                : MessageIndex >= 1 && MessageIndex <= MemoryMessages ? Messages[MessageIndex]
                                                                                      : std::string();
    if (message.empty())
        return;
    QLineEdit *box = form().Editcaractere;
    auto *replay = control<QToolButton>("ButtonReplayText");
    if (!box || !replay)
        return;
    SpeedButtonRAZtextClick();
    box->setText(cp1252::toQString(message));
    box->end(false);
    if (!demoVisible())
        box->setFocus();
    replay->setEnabled(true);
    ButtonReplayTextClick(replay);
}

void StaticTextMsgClick(int n)
{
    MessageIndex = n;
    StaticTextMsgXClick();
}

void StaticTextMsgXClick()
{
    const int n = MessageIndex;
    if (n < 1 || n > MemoryMessages || Messages[n].empty())
        return;
    c.EditMsg[n]->setFocus();
    c.EditMsg[n]->selectAll();
    EngineState &s = form().Engine;
    const bool queueWasEmpty = s.PlayQueue.empty();
    s.PlayQueue += Messages[n];
    for (const char *name : {"RadioButtonAlphabet", "RadioButtonCodeQ", "RadioButtonAbrev", "RadioButtonRandom",
                             "RadioButtonFile", "RadioButtonQuiz", "RadioButtonMonitor", "ButtonReplayText",
                             "ButtonPlayFile", "ButtonContinueFile"})
        if (auto *w = control<QWidget>(name))
            w->setEnabled(false);
    BeginTransmission(queueWasEmpty, [] {
        if (auto *replay = control<QWidget>("ButtonReplayText"))
            replay->setEnabled(false);
    });
}

void MenuLocalMessagesClick()
{
    OpenSettingsPanel(form(), c.PanelMsg);
    c.EditMsg[1]->setFocus();
}

void ButtonCloseMsgClick()
{
    dockMessagePanel();
    CloseSettingsPanel(form(), c.PanelMsg);
}

void PanelMsgStartDock()
{
    c.LabelPanelMsg->hide();
    c.ButtonCloseMsg->hide();
}
