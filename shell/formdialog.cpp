#include "shell/formdialog.h"

#include "engine/cp1252.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/utilities.h"
#include "shell/zoom.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QRegularExpression>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <deque>
#include <vector>

TFormDialog *FormDialog = nullptr;
std::string DialogText;
int DialogResult = -1;
bool WarnAnsiShown = false;
bool MessagesToStandardError = false;

namespace {

// Design positions of the controls (96 pixels per inch).
constexpr int LabelLeft = 55, LabelTop = 15, LabelHeight = 33;
constexpr int PictureLeft = 8, PictureTop = 11, PictureSize = 41;
constexpr int ButtonTop = 58, ButtonWidth = 75, ButtonHeight = 25;
constexpr int YesLeft = 88, NoLeft = 280, OKLeft = 185;
constexpr int BoxLeft = 24, BoxTop = 89, BoxWidth = 345, BoxHeight = 17;

enum class Kind { Message, Warning, Question, WarningQuestion };

// One message or question: its own text, answer and wait.
struct Request {
    QString text;
    Kind kind;
    int result = -1;
    bool done = false;
    bool boxChecked = false;
    QEventLoop *loop = nullptr;
};

QString displayText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

std::deque<Request *> waiting; // asked, not yet on screen
Request *current = nullptr;    // on screen

void setQuestionLayout(TFormDialog *d, bool question, bool warningPicture, bool box)
{
    d->Image1->setVisible(question && !warningPicture);
    d->ImageWarning->setVisible(!question || warningPicture);
    d->ButtonYes->setVisible(question);
    d->ButtonNo->setVisible(question);
    d->ButtonOK->setVisible(!question);
    d->CheckBoxWarningFile->setVisible(box);
}

// The window manager keeps the message above the main window (once the main window exists:
// the message box may come first, during start-up).
void keepAboveMainWindow(TFormDialog *d)
{
    if (!Form1)
        return;
    d->winId();
    Form1->winId();
    QWindow *own = d->windowHandle();
    if (own && Form1->windowHandle() && own->transientParent() != Form1->windowHandle())
        own->setTransientParent(Form1->windowHandle());
}

void presentNext()
{
    if (current || waiting.empty())
        return;
    current = waiting.front();
    waiting.pop_front();
    TFormDialog *d = DialogWindow();
    const bool question = current->kind == Kind::Question || current->kind == Kind::WarningQuestion;
    setQuestionLayout(d, question, current->kind == Kind::WarningQuestion, current->kind == Kind::Warning);
    DialogText = cp1252::fromQString(current->text);
    DialogResult = -1;
    d->FormShow(current->text);
    keepAboveMainWindow(d);
    d->show();
    d->raise();
    d->activateWindow();
    // The default button has the focus: Space presses it, Tab moves to the other one.
    (question ? d->ButtonYes : d->ButtonOK)->setFocus();
}

bool hidingAfterAnswer = false;

void answer(int result)
{
    Request *r = current;
    if (!r)
        return;
    TFormDialog *d = FormDialog;
    r->result = result;
    r->boxChecked = d->CheckBoxWarningFile->isChecked();
    r->done = true;
    current = nullptr;
    DialogResult = result;
    if (r->loop)
        r->loop->quit();

    hidingAfterAnswer = true;
    d->hide();
    hidingAfterAnswer = false;
    setQuestionLayout(d, true, false, false); // back to the design (question) layout
    if (!waiting.empty())
        QTimer::singleShot(0, d, presentNext);
}

void toStandardError(const QString &text)
{
    const QString line = displayText(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "kestrelon: %s\n", line.toLocal8Bit().constData());
}

// Takes the request off the screen or out of the queue, answered 0, and lets its caller
// return. With nobody there to answer, its text goes to the standard error, so nothing said
// is lost.
void withdraw(Request &r)
{
    if (r.done)
        return;
    if (MessagesToStandardError)
        toStandardError(r.text);
    std::erase(waiting, &r);
    if (current == &r)
        answer(0);
    r.result = 0;
    r.done = true;
    if (r.loop)
        r.loop->quit();
}

// Shows the request (after those before it) and waits for its answer.
int run(Request &r)
{
    if (MessagesToStandardError) {
        toStandardError(r.text);
        return 0;
    }
    waiting.push_back(&r);
    presentNext();
    QEventLoop loop;
    r.loop = &loop;
    const EndedByQuit endedByQuit([&r] { withdraw(r); });
    while (!r.done) {
        loop.exec();
        // Only the application's end stops the loop otherwise: no answer will come.
        if (!r.done)
            withdraw(r);
    }
    r.loop = nullptr;
    return r.result;
}

QString fromEngine(const std::string &text)
{
    return cp1252::toQString(text);
}

// The check box's caption in the checked language, testing the language items in the
// order English, German, French, Italian, Portuguese, Spanish, Hungarian.
QString warningBoxCaption()
{
    static const struct {
        const char *item;
        const char *caption;
    } captions[] = {
        {"English1", "Do not show this warning anymore"},
        {"Deutsch1", "Diese Warnung nicht mehr anzeigen"},
        {"Francais1", "Ne plus montrer cet avertissement"},
        {"Italiano1", "Non mostrare più questo avviso"},
        {"Portugues1", "Não mostre mais este aviso"},
        {"Espagnol1", "No mostrar más esta advertencia"},
        {"Magyar1", "Ne jelenítse meg többé ezt a figyelmeztetést"},
    };
    if (Form1) {
        for (const auto &c : captions) {
            auto *item = Form1->findChild<QAction *>(QString::fromLatin1(c.item));
            if (item && item->isChecked())
                return QString::fromUtf8(c.caption);
        }
    }
    return QString::fromUtf8(captions[0].caption);
}

} // namespace

DialogLayout ComputeDialogLayout(int lines, int fontPixels)
{
    const int grow = lines > 0 ? lines * fontPixels : 0;
    return DialogLayout{
        TFormDialog::DesignHeight + grow,
        LabelHeight + grow,
        PictureTop + static_cast<int>(RoundHalfEven(grow / 2.0)),
        ButtonTop + grow,
        BoxTop + grow,
    };
}

namespace {

// Where each line of the wrapped text starts.
std::vector<int> lineStarts(const QString &shown, const QFont &font, int width)
{
    QString lines = shown;
    lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(lines, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    std::vector<int> starts;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        starts.push_back(line.textStart());
    }
    layout.endLayout();
    return starts;
}

int lineOf(const std::vector<int> &starts, int position)
{
    return int(std::upper_bound(starts.begin(), starts.end(), position) - starts.begin());
}

} // namespace

QString DialogShownText(const QString &text, const QFont &font, int width)
{
    QString shown = displayText(text);
    // A web address is never cut: where the wrapping would break inside one, the line breaks
    // before it instead.
    static const QRegularExpression address(QStringLiteral("(https?://|www\\.)\\S+"));
    for (int from = 0;;) {
        const QRegularExpressionMatch match = address.match(shown, from);
        if (!match.hasMatch())
            break;
        const int start = int(match.capturedStart());
        const int end = int(match.capturedEnd());
        from = end;
        const std::vector<int> starts = lineStarts(shown, font, width);
        if (lineOf(starts, start) == lineOf(starts, end - 1) || start == 0 || shown[start - 1] == QLatin1Char('\n'))
            continue;
        shown.insert(start, QLatin1Char('\n'));
        from = end + 1;
    }
    return shown;
}

int CountDialogLines(const QString &text, const QFont &font, int width)
{
    if (text.isEmpty())
        return 0;
    return int(lineStarts(DialogShownText(text, font, width), font, width).size());
}

TFormDialog::TFormDialog(QWidget *parent)
    : TSideForm("FormDialog", parent), LanguageAware(this)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(Pick(ProgramNameText));
    setMouseTracking(true);

    LabelDialog = new QLabel(this);
    LabelDialog->setObjectName(QStringLiteral("LabelDialog"));
    LabelDialog->setTextFormat(Qt::PlainText);
    LabelDialog->setWordWrap(true);
    LabelDialog->setAlignment(Qt::AlignCenter);
    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPixelSize(FontPixels);
    LabelDialog->setFont(labelFont);
    QPalette palette = LabelDialog->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    LabelDialog->setPalette(palette);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(PictureSize, PictureSize));
    ImageWarning = new QLabel(this);
    ImageWarning->setObjectName(QStringLiteral("ImageWarning"));
    ImageWarning->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(PictureSize, PictureSize));
    for (QLabel *picture : {Image1, ImageWarning}) {
        picture->setScaledContents(false);
        picture->setAlignment(Qt::AlignCenter);
    }

    auto button = [this](const char *name) {
        auto *b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        QFont bold = b->font();
        bold.setBold(true);
        b->setFont(bold);
        b->setAutoDefault(false);
        return b;
    };
    ButtonYes = button("ButtonYes");
    ButtonNo = button("ButtonNo");
    ButtonOK = button("ButtonOK");
    ButtonOK->setText(QStringLiteral("OK"));
    connect(ButtonYes, &QPushButton::clicked, this, &TFormDialog::ButtonYesClick);
    connect(ButtonNo, &QPushButton::clicked, this, &TFormDialog::ButtonNoClick);
    connect(ButtonOK, &QPushButton::clicked, this, &TFormDialog::ButtonOKClick);

    CheckBoxWarningFile = new QCheckBox(this);
    CheckBoxWarningFile->setObjectName(QStringLiteral("CheckBoxWarningFile"));
    QFont boxFont(QStringLiteral("Arial"));
    boxFont.setPixelSize(12);
    CheckBoxWarningFile->setFont(boxFont);

    setQuestionLayout(this, true, false, false);
    DialogText.clear();
    FormShow();
}

void TFormDialog::FormShow()
{
    FormShow(fromEngine(DialogText));
}

void TFormDialog::retranslate()
{
    CheckBoxWarningFile->setText(warningBoxCaption());
    ButtonYes->setText(TxtYes());
    ButtonNo->setText(TxtNo());
}

void TFormDialog::FormShow(const QString &text)
{
    retranslate();
    LabelDialog->setText(DialogShownText(text, LabelDialog->font(), LabelWidth));

    const int lines = CountDialogLines(text, LabelDialog->font(), LabelWidth);
    const DialogLayout layout = ComputeDialogLayout(lines, LabelDialog->font().pixelSize());
    LabelDialog->setGeometry(LabelLeft, LabelTop, LabelWidth, layout.labelHeight);
    Image1->setGeometry(PictureLeft, layout.pictureTop, PictureSize, PictureSize);
    ImageWarning->setGeometry(PictureLeft, layout.pictureTop, PictureSize, PictureSize);
    ButtonYes->setGeometry(YesLeft, layout.buttonTop, ButtonWidth, ButtonHeight);
    ButtonNo->setGeometry(NoLeft, layout.buttonTop, ButtonWidth, ButtonHeight);
    ButtonOK->setGeometry(OKLeft, layout.buttonTop, ButtonWidth, ButtonHeight);
    CheckBoxWarningFile->setGeometry(BoxLeft, layout.checkBoxTop, BoxWidth, BoxHeight);

    // In design pixels, as every control above: the enlargement scales the window when shown.
    setFixedSize(DesignWidth, layout.windowHeight);

    // Below the main window's top left corner, kept inside the screen's available area so it
    // can always be answered.
    // (In 64 bits: the main window may stand anywhere.)
    qint64 x = 20;
    qint64 y = 200;
    QScreen *screen = QGuiApplication::primaryScreen();
    if (Form1) {
        x += Form1->x();
        y += Form1->y();
        if (Form1->screen())
            screen = Form1->screen();
    }
    if (screen) {
        const QRect area = screen->availableGeometry();
        // The size it is shown at.
        const int shownWidth = ZoomScaled(width());
        const int shownHeight = ZoomScaled(height());
        x = std::clamp<qint64>(x, area.left(), std::max<qint64>(area.left(), qint64(area.right()) + 1 - shownWidth));
        y = std::clamp<qint64>(y, area.top(), std::max<qint64>(area.top(), qint64(area.bottom()) + 1 - shownHeight));
    }
    move(int(std::clamp<qint64>(x, INT_MIN / 2, INT_MAX / 2)), int(std::clamp<qint64>(y, INT_MIN / 2, INT_MAX / 2)));
}

void TFormDialog::ButtonYesClick()
{
    answer(1);
}

void TFormDialog::ButtonNoClick()
{
    answer(0);
}

void TFormDialog::ButtonOKClick()
{
    answer(0);
}

void TFormDialog::closeEvent(QCloseEvent *event)
{
    // Closing the window answers No, so its caller always returns.
    event->ignore();
    answer(0);
}

void TFormDialog::hideEvent(QHideEvent *event)
{
    TSideForm::hideEvent(event);
    if (!hidingAfterAnswer && current && !event->spontaneous())
        answer(0);
}

void TFormDialog::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        answer(0);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter takes the default button whichever has the focus: OK, or Yes on a question
        // (Space presses the focused button itself).
        if (current)
            answer(current->kind == Kind::Question || current->kind == Kind::WarningQuestion ? 1 : 0);
        return;
    default:
        TSideForm::keyPressEvent(event);
    }
}

void TFormDialog::mouseMoveEvent(QMouseEvent *event)
{
    // Back to the arrow over the message, whatever cursor the program had set.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    TSideForm::mouseMoveEvent(event);
}

TFormDialog *DialogWindow()
{
    if (!FormDialog)
        FormDialog = new TFormDialog;
    return FormDialog;
}

void ShowProgramMessage(const QString &text)
{
    Request r{text, Kind::Message};
    run(r);
    DialogResult = -1;
}

void ShowProgramMessage(const std::string &text)
{
    ShowProgramMessage(fromEngine(text));
}

void ShowProgramMessage(const char *text)
{
    ShowProgramMessage(std::string(text ? text : ""));
}

int AskProgramQuestion(const QString &text, QuestionPicture picture)
{
    Request r{text, picture == QuestionPicture::Warning ? Kind::WarningQuestion : Kind::Question};
    const int result = run(r);
    DialogResult = result;
    return result;
}

int AskProgramQuestion(const std::string &text, QuestionPicture picture)
{
    return AskProgramQuestion(fromEngine(text), picture);
}

void ShowAnsiWarning(const QString &text)
{
    if (WarnAnsiShown)
        return;
    Request r{text, Kind::Warning};
    run(r);
    DialogResult = -1;
    if (r.boxChecked)
        WarnAnsiShown = true;
}

void ShowAnsiWarning(const std::string &text)
{
    ShowAnsiWarning(fromEngine(text));
}
