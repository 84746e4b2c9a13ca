#include "training/demoview.h"

#include "shell/accessiblenames.h"
#include "shell/instructorlock.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/soundengine.h"
#include "shell/zoom.h"
#include "training/filetext.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextBlock>

#include <algorithm>
#include <functional>
#include <initializer_list>


namespace {

constexpr int ImageSize = 40; // design pixels, grown with the enlargement

constexpr TextRow kTexts[] = {
    {"SpeedButtonDemo", TextKind::Caption, Tr("Demo", "Bemutató", "Demo", "Démo", "Demo", "Demo", "Demo")},
    {"SpeedButtonDemo", TextKind::Hint,
     Tr("Show the text on the whole screen", "A szöveg teljes képernyön", "Den Text auf dem ganzen Bildschirm zeigen",
        "Montrer le texte sur tout l'écran", "Mostrare il testo su tutto lo schermo",
        "Mostrar o texto em todo o ecrã", "Mostrar el texto en toda la pantalla")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }));

// What a screen reader calls the pictures that change the text's size and scroll it; play and
// stop are named after the file panel's buttons.
constexpr Tr kLarger("Larger text", "Nagyobb betü", "Größere Schrift", "Texte plus grand", "Testo più grande",
                     "Texto maior", "Texto más grande");
constexpr Tr kSmaller("Smaller text", "Kisebb betü", "Kleinere Schrift", "Texte plus petit", "Testo più piccolo",
                      "Texto menor", "Texto más pequeño");
constexpr Tr kLineUp("One line up", "Egy sorral feljebb", "Eine Zeile nach oben", "Une ligne vers le haut",
                     "Una riga su", "Uma linha acima", "Una línea arriba");
constexpr Tr kLineDown("One line down", "Egy sorral lejjebb", "Eine Zeile nach unten", "Une ligne vers le bas",
                       "Una riga giù", "Uma linha abaixo", "Una línea abajo");
constexpr Tr kPageUp("One page up", "Egy oldallal feljebb", "Eine Seite nach oben", "Une page vers le haut",
                     "Una pagina su", "Uma página acima", "Una página arriba");
constexpr Tr kPageDown("One page down", "Egy oldallal lejjebb", "Eine Seite nach unten", "Une page vers le bas",
                       "Una pagina giù", "Uma página abaixo", "Una página abajo");
static_assert(allLanguagesPresent(std::initializer_list<Tr>{kLarger, kSmaller, kLineUp, kLineDown, kPageUp, kPageDown},
                                  [](const Tr &row) -> const Tr & { return row; }));

struct DemoModule {
    int fontSize = 0;
};
DemoModule module;

EngineState &state()
{
    return SoundEngine().State;
}

// The pictures of the eight buttons, drawn in code.
enum class Picture { Plus, Minus, Up, Down, PageUp, PageDown, Play, Stop };

QIcon pictureOf(Picture picture)
{
    constexpr int S = 64;
    QPixmap pixmap(S, S);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(30, 60, 140);
    p.setPen(QPen(ink, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(ink);
    const auto triangle = [&p](QPointF a, QPointF b, QPointF c) {
        QPainterPath path(a);
        path.lineTo(b);
        path.lineTo(c);
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (picture) {
    case Picture::Plus:
    case Picture::Minus:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(26, 26), 18, 18);
        p.drawLine(QPointF(40, 40), QPointF(58, 58));
        p.drawLine(QPointF(17, 26), QPointF(35, 26));
        if (picture == Picture::Plus)
            p.drawLine(QPointF(26, 17), QPointF(26, 35));
        break;
    case Picture::Up:
        triangle({32, 12}, {54, 50}, {10, 50});
        break;
    case Picture::Down:
        triangle({32, 52}, {54, 14}, {10, 14});
        break;
    case Picture::PageUp:
        triangle({32, 6}, {52, 30}, {12, 30});
        triangle({32, 32}, {52, 56}, {12, 56});
        break;
    case Picture::PageDown:
        triangle({32, 58}, {52, 34}, {12, 34});
        triangle({32, 32}, {52, 8}, {12, 8});
        break;
    case Picture::Play:
        p.setPen(QPen(QColor(0, 120, 0), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(0, 150, 0));
        triangle({14, 8}, {56, 32}, {14, 56});
        break;
    case Picture::Stop:
        p.setPen(QPen(QColor(150, 0, 0), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(200, 0, 0));
        p.drawRect(QRectF(12, 12, 40, 40));
        break;
    }
    return QIcon(pixmap);
}

// The file box's text is visible: painted in its window colour, not in its own ink.
bool fileTextVisible()
{
    const QPlainTextEdit *box = FileText().FileEdit;
    if (!box)
        return false;
    const QPalette &palette = box->palette();
    return palette.color(QPalette::Base) != palette.color(QPalette::Text);
}

bool textPlaying()
{
    return state().TextPlaying && Form1 && !Form1->ButtonStop->isHidden();
}

// The view follows the end of a text too (Play comes back).
struct FinishedShowsPlay {
    std::function<bool()> previous;
    bool operator()() const
    {
        const bool looping = previous ? previous() : false;
        if (FormDemo && FormDemo->isVisible()) {
            FormDemo->ShowPlayState();
            FormDemo->SetDemoCaret();
        }
        return looping;
    }
};

} // namespace

// ---- Rules --------------------------------------------------------------------------------------

int InitialDemoFontSize(int fileBoxPoints, int memoWidth, int fileBoxWidth)
{
    if (fileBoxPoints <= 0)
        fileBoxPoints = 10;
    if (fileBoxWidth <= 0 || memoWidth <= 0)
        return std::clamp(fileBoxPoints, MinDemoFontSize, MaxDemoFontSize);
    const long long scaled = static_cast<long long>(fileBoxPoints) * memoWidth / fileBoxWidth;
    return static_cast<int>(std::clamp<long long>(scaled, MinDemoFontSize, MaxDemoFontSize));
}

DemoSelection DemoSelectionOf(int stretchStart, int sent, int textLength)
{
    const int length = std::max(0, textLength);
    const int start = std::clamp(stretchStart, 0, length);
    const long long end = static_cast<long long>(start) + std::max(0, sent);
    return {start, static_cast<int>(std::min<long long>(end, length))};
}

DemoKey DemoKeyAction(int qtKey, bool textPlaying)
{
    switch (qtKey) {
    case Qt::Key_Escape:
        return textPlaying ? DemoKey::Stop : DemoKey::Hide;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        return textPlaying ? DemoKey::Stop : DemoKey::Play;
    default:
        return DemoKey::None;
    }
}

int DemoFontSize()
{
    return module.fontSize;
}

// ---- The window --------------------------------------------------------------------------------

TDemoImage::TDemoImage(const char *name, QWidget *parent)
    : QToolButton(parent)
{
    setObjectName(QString::fromLatin1(name));
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
}

TFormDemo *FormDemo = nullptr;

TFormDemo::TFormDemo(QWidget *parent)
    : TSideForm("FormDemo", parent)
{
    setWindowTitle(Pick(ProgramNameText));
    // The view takes the screen's size; only its pictures follow the enlargement.
    ExemptFromZoom(this);
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    MemoDemo = new QPlainTextEdit(Panel1);
    MemoDemo->setObjectName(QStringLiteral("MemoDemo"));
    MemoDemo->setReadOnly(true);
    MemoDemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoDemo->installEventFilter(this);
    MemoDemo->viewport()->installEventFilter(this);

    NameAs(MemoDemo, [] { return Pick(FileTextName()); });

    const struct {
        TDemoImage *TFormDemo::*member;
        const char *name;
        Picture picture;
        std::function<QString()> caption;
    } images[] = {
        {&TFormDemo::ImageLoupePlus, "ImageLoupePlus", Picture::Plus, [] { return Pick(kLarger); }},
        {&TFormDemo::ImageLoupeMoins, "ImageLoupeMoins", Picture::Minus, [] { return Pick(kSmaller); }},
        {&TFormDemo::ImageUP, "ImageUP", Picture::Up, [] { return Pick(kLineUp); }},
        {&TFormDemo::ImageDown, "ImageDown", Picture::Down, [] { return Pick(kLineDown); }},
        {&TFormDemo::ImagePageUP, "ImagePageUP", Picture::PageUp, [] { return Pick(kPageUp); }},
        {&TFormDemo::ImagePageDN, "ImagePageDN", Picture::PageDown, [] { return Pick(kPageDown); }},
        {&TFormDemo::ImagePlay, "ImagePlay", Picture::Play, [] { return NameText(FileText().ButtonPlayFile); }},
        {&TFormDemo::ImageStop, "ImageStop", Picture::Stop, [] { return NameText(Form1 ? Form1->ButtonStop : nullptr); }},
    };
    for (const auto &image : images) {
        this->*image.member = new TDemoImage(image.name, this);
        (this->*image.member)->setIcon(pictureOf(image.picture));
        NameAs(this->*image.member, image.caption);
    }
    connect(ImageLoupePlus, &QToolButton::clicked, this, [this] { ImageLoupePlusClick(); });
    connect(ImageLoupeMoins, &QToolButton::clicked, this, [this] { ImageLoupeMoinsClick(); });
    connect(ImageUP, &QToolButton::pressed, this, [this] { ImageUPMouseDown(); });
    connect(ImageDown, &QToolButton::pressed, this, [this] { ImageDownMouseDown(); });
    connect(ImagePageUP, &QToolButton::pressed, this, [this] { ImagePageUPMouseDown(); });
    connect(ImagePageDN, &QToolButton::pressed, this, [this] { ImagePageDNMouseDown(); });
    connect(ImagePlay, &QToolButton::clicked, this, [this] { ImagePlayClick(); });
    connect(ImageStop, &QToolButton::clicked, this, [this] { ImageStopClick(); });
    ImageStop->hide();
    OnZoomChange(this, [this] {
        if (isVisible())
            placeControls();
    });
    // A text the instructor masks is not shown here either, even when the view is open.
    FollowOptionLock(InstructorLock::MaskedFile, this, [this](bool masked) {
        if (masked && isVisible())
            hide();
    });
}

void TFormDemo::placeControls()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize area = screen ? screen->availableGeometry().size() : QSize(800, 600);
    const int side = ZoomScaled(ImageSize);
    // The room right of the memo grows with the pictures, which stand in it at every step.
    const int width = std::max(side, area.width() - ZoomScaled(50));
    const int height = std::max(8 * side, area.height() - 40);
    Panel1->setGeometry(0, 0, width, height);
    MemoDemo->setGeometry(0, 0, width, height);
    int top = 0;
    for (TDemoImage *image : {ImageLoupePlus, ImageLoupeMoins, ImageUP, ImageDown, ImagePageUP, ImagePageDN}) {
        image->setGeometry(width + 5, top, side, side);
        image->setIconSize(QSize(side - 6, side - 6));
        top += side + 5;
    }
    for (TDemoImage *image : {ImagePlay, ImageStop}) {
        image->setGeometry(width + 5, top, side, side);
        image->setIconSize(QSize(side - 6, side - 6));
    }
}

void TFormDemo::setFontSize(int points)
{
    module.fontSize = std::clamp(points, MinDemoFontSize, MaxDemoFontSize);
    QFont font = MemoDemo->font();
    font.setPointSize(module.fontSize);
    MemoDemo->setFont(font);
}

void TFormDemo::FormShow()
{
    placeControls();
    ShowPlayState();
    if (module.fontSize == 0) {
        const QPlainTextEdit *box = FileText().FileEdit;
        QFont font = box ? box->font() : MemoDemo->font();
        MemoDemo->setFont(font);
        const int points = font.pointSize() > 0 ? font.pointSize() : QFontInfo(font).pointSize();
        setFontSize(InitialDemoFontSize(points, MemoDemo->width(), box ? box->width() : 0));
    }
    const FileTextModule &text = FileText();
    MemoDemo->setPlainText(text.TextLoaded ? FileTextForDisplay(text.FileTextLines, text.Rows) : QString());
    SetDemoCaret();
    MemoDemo->setFocus();
}

void TFormDemo::showEvent(QShowEvent *event)
{
    TSideForm::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormDemo::SetDemoCaret()
{
    const EngineState &s = state();
    // The memo shows the file box's rows: the selection is counted in the text's carets.
    const filetext::ShownRows &rows = FileText().Rows;
    const int shown = MemoDemo->document()->characterCount() - 1;
    const DemoSelection sent =
        DemoSelectionOf(s.FileSelStart, s.FileTextIndex, shown - static_cast<int>(rows.Cuts().size()));
    QTextCursor cursor = MemoDemo->textCursor();
    cursor.setPosition(std::min(shown, static_cast<int>(rows.BoxPositionOf(static_cast<std::size_t>(sent.start)))));
    cursor.setPosition(std::min(shown, static_cast<int>(rows.BoxPositionOf(static_cast<std::size_t>(sent.end)))),
                       QTextCursor::KeepAnchor);
    MemoDemo->setTextCursor(cursor);
}

void TFormDemo::ShowPlayState()
{
    const bool playing = textPlaying();
    ImageStop->setVisible(playing);
    ImagePlay->setVisible(!playing);
}

void TFormDemo::ImageLoupePlusClick()
{
    setFontSize(MemoDemo->font().pointSize() + 1);
}

void TFormDemo::ImageLoupeMoinsClick()
{
    setFontSize(MemoDemo->font().pointSize() - 1);
}

void TFormDemo::ImageUPMouseDown()
{
    MemoDemo->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
}

void TFormDemo::ImageDownMouseDown()
{
    MemoDemo->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

void TFormDemo::ImagePageUPMouseDown()
{
    MemoDemo->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
}

void TFormDemo::ImagePageDNMouseDown()
{
    MemoDemo->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
}

void TFormDemo::ImagePlayClick()
{
    const FileTextModule &text = FileText();
    if (text.ButtonPlayFile && !text.ButtonPlayFile->isHidden()) {
        ImageStop->show();
        ImagePlay->hide();
        ButtonPlayFileClick();
    } else if (text.ButtonContinueFile && !text.ButtonContinueFile->isHidden()) {
        ImageStop->show();
        ImagePlay->hide();
        ButtonContinueFileClick();
    }
    // A text that could not start leaves Play offered.
    if (isVisible())
        ShowPlayState();
}

void TFormDemo::ImageStopClick()
{
    if (Form1 && !Form1->ButtonStop->isHidden()) {
        ImagePlay->show();
        ImageStop->hide();
        SoundEngine().ButtonStopClick();
    }
    ShowPlayState();
}

void TFormDemo::FormKeyPress(int qtKey)
{
    switch (DemoKeyAction(qtKey, textPlaying())) {
    case DemoKey::Stop:
        ImageStopClick();
        break;
    case DemoKey::Play:
        ImagePlayClick();
        break;
    case DemoKey::Hide:
        hide();
        break;
    case DemoKey::None:
        break;
    }
}

void TFormDemo::keyPressEvent(QKeyEvent *event)
{
    FormKeyPress(event->key());
    event->accept();
}

bool TFormDemo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == MemoDemo && event->type() == QEvent::KeyPress) {
        FormKeyPress(static_cast<QKeyEvent *>(event)->key());
        return true;
    }
    // A click while a text plays only puts the caret at the start; the engine selects the sent
    // part again with its next character.
    if (watched == MemoDemo->viewport() && state().TextPlaying
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease
            || event->type() == QEvent::MouseButtonDblClick || event->type() == QEvent::MouseMove)) {
        if (event->type() != QEvent::MouseMove)
            MemoDemo->moveCursor(QTextCursor::Start);
        return true;
    }
    return TSideForm::eventFilter(watched, event);
}

// ---- Building ----------------------------------------------------------------------------------

void SpeedButtonDemoClick()
{
    // A hidden or masked text is not shown this way.
    if (!FormDemo || !fileTextVisible())
        return;
    FormDemo->showMaximized();
    FormDemo->raise();
    FormDemo->activateWindow();
}

void BuildDemoViewModule(TForm1 &)
{
    module = DemoModule{};
    FileTextModule &text = FileText();
    if (text.PanelFile) {
        auto *demo = new QToolButton(text.PanelFile);
        demo->setObjectName(QStringLiteral("SpeedButtonDemo"));
        demo->setText(QStringLiteral("Demo"));
        demo->setGeometry(280, 240, 80, 30);
        QObject::connect(demo, &QToolButton::clicked, demo, [] { SpeedButtonDemoClick(); });
    }
    RegisterMainWindowTexts(kTexts);

    ModeHooks &hooks = Hooks();
    hooks.updateDemoCaret = [] {
        if (FormDemo && FormDemo->isVisible()) {
            FormDemo->SetDemoCaret();
            FormDemo->ShowPlayState();
        }
    };
    if (!hooks.fileTextFinished.target<FinishedShowsPlay>())
        hooks.fileTextFinished = FinishedShowsPlay{hooks.fileTextFinished};
    RegisterSideWindow(SideWindowPlace::DemoView, FormDemo);
}
