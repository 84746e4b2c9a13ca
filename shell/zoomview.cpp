#include "shell/zoomview.h"

#include "engine/cp1252.h"
#include "engine/timing.h"
#include "shell/buttonglyphs.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingsformat.h"
#include "shell/settingsgeometry.h"
#include "shell/settingskeys.h"
#include "shell/startup.h"
#include "shell/utilities.h"
#include "shell/zoom.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QToolButton>

#include <algorithm>

bool ZoomTyping = false;
bool ZoomLowerCase = false;
int ZoomTop = -1;
int ZoomLeft = -1;

namespace {

// The labels' places and fonts at the design size.
constexpr int LabelLeft = 21;
constexpr int ZoomLabelHeight = 333;
constexpr int CodeLabelHeight = 93;
constexpr int ZoomFontPoints = 200;
constexpr int CodeFontPoints = 48;
constexpr int CaseButtonSize = 33;
// Below this the labels would have no room (the ratio is measured above the top strip).
constexpr int SmallestWidth = 80;
constexpr int SmallestHeight = 120;
constexpr int MaxCoordinate = 32767;

// Opened from the menu and reopened by ZOOM=.
bool iniZoom = false;

constexpr TextRow kTexts[] = {
    {"MenuZoom", TextKind::Caption,
     Tr("&Zoom view", "&Nagyító ablak", "&Zoom-Fenster", "Fenêtre &zoom", "Finestra &zoom", "Janela de &zoom",
        "Ventana de &zoom")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

constexpr Tr kTitle("Zoom", "Nagyító", "Zoom", "Zoom", "Zoom", "Zoom", "Zoom");
constexpr Tr kCaseHint = Alike("A<=>a");

QAction *menuZoom()
{
    return Form1 ? Form1->findChild<QAction *>(QStringLiteral("MenuZoom")) : nullptr;
}

QWidget *typingBox()
{
    return Form1 ? Form1->Editcaractere : nullptr;
}

// The prosigns travel as the bytes 1 to 7; the view shows their letters.
QString characterText(unsigned char c)
{
    static const char *const prosigns[] = {"AS", "HH", "KN", "VA", "SN", "AR", "BK"};
    if (c >= 1 && c <= 7)
        return QString::fromLatin1(prosigns[c - 1]);
    return cp1252::toQString(std::string(1, static_cast<char>(c)));
}

void setFontPoints(QLabel *label, int points)
{
    QFont font = label->font();
    font.setPointSize(std::max(1, points));
    label->setFont(font);
}

void rememberPlace(const QWidget *view)
{
    ZoomTop = std::clamp(view->y(), -MaxCoordinate, MaxCoordinate);
    ZoomLeft = std::clamp(view->x(), -MaxCoordinate, MaxCoordinate);
}

void bindSettings()
{
    Settings().bind(
        "ZCASE=", [](const std::string &value) { ZoomLowerCase = value == "1"; },
        [](std::vector<std::string> &values) { values.push_back(ZoomLowerCase ? "1" : "0"); });
    Settings().bind(
        "ZOOMPOS=",
        [](const std::string &value) {
            // Top, then left, each part on its own; nothing without a ",".
            const std::size_t comma = value.find(',');
            if (comma == std::string::npos)
                return;
            if (auto top = settings::ParseInt(value.substr(0, comma)))
                ZoomTop = std::clamp(*top, -MaxCoordinate, MaxCoordinate);
            if (auto left = settings::ParseInt(value.substr(comma + 1)))
                ZoomLeft = std::clamp(*left, -MaxCoordinate, MaxCoordinate);
        },
        [](std::vector<std::string> &values) {
            if (FormZoom && FormZoom->isVisible())
                rememberPlace(FormZoom);
            values.push_back(std::to_string(ZoomTop) + "," + std::to_string(ZoomLeft));
        });
    Settings().bind(
        "ZOOM=", [](const std::string &value) { iniZoom = value == "1"; },
        [](std::vector<std::string> &values) {
            const QAction *item = menuZoom();
            values.push_back(item && item->isChecked() ? "1" : "0");
        });
    Settings().addReadStart("zoom view", [] { iniZoom = false; });
}

} // namespace

TFormZoom::TFormZoom(QWidget *parent)
    : TSideForm("FormZoom", parent), LanguageAware(this)
{
    setWindowTitle(Pick(kTitle));
    ExemptFromZoom(this);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    setPalette(colours);
    setAutoFillBackground(true);
    resize(DesignWidth, DesignHeight);
    setMinimumSize(SmallestWidth, SmallestHeight);

    auto label = [this](const char *name, int top, int height, int points) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAlignment(Qt::AlignCenter);
        QFont font(QStringLiteral("Times New Roman"));
        font.setBold(true);
        font.setPointSize(points);
        l->setFont(font);
        l->setGeometry(LabelLeft, top, DesignWidth - SideMargins, height);
        return l;
    };
    LabelZoom = label("LabelZoom", TopStrip, ZoomLabelHeight, ZoomFontPoints);
    LabelCode = label("LabelCode", TopStrip + ZoomLabelHeight, CodeLabelHeight, CodeFontPoints);
    // The character being sent and its code.
    MarkAsValue(LabelZoom);
    MarkAsValue(LabelCode);

    SpeedButtonZoomCase = new QToolButton(this);
    SpeedButtonZoomCase->setObjectName(QStringLiteral("SpeedButtonZoomCase"));
    SpeedButtonZoomCase->setCheckable(true);
    SpeedButtonZoomCase->setToolTip(Pick(kCaseHint));
    // Keys typed in the view are for the typing box, Space too.
    SpeedButtonZoomCase->setFocusPolicy(Qt::NoFocus);
    SpeedButtonZoomCase->setGeometry(DesignWidth - CaseButtonSize - 4, 0, CaseButtonSize, CaseButtonSize);
    connect(SpeedButtonZoomCase, &QToolButton::clicked, this, &TFormZoom::SpeedButtonZoomCaseClick);
    setFocusPolicy(Qt::StrongFocus);
    RecordBaseMetrics();
}

void TFormZoom::retranslate()
{
    setWindowTitle(Pick(kTitle));
}

void TFormZoom::RecordBaseMetrics()
{
    BaseHeight = height();
    BaseWidth = width();
    BaseClientHeight = height();
    BaseZoomHeight = LabelZoom->height();
    BaseZoomFont = LabelZoom->font().pointSize();
    BaseCodeHeight = LabelCode->height();
    BaseCodeFont = LabelCode->font().pointSize();
}

void TFormZoom::FormShow()
{
    // Where it was last closed, held to the screens; never closed before: its design place.
    if (ZoomTop != -1 || ZoomLeft != -1)
        PlaceWindow(this, QPoint(ZoomLeft != -1 ? ZoomLeft : x(), ZoomTop != -1 ? ZoomTop : y()), std::nullopt);
    if (ScreenPixelsPerInch > 96)
        resize(int(RoundHalfEven(BaseWidth * 1.25)), int(RoundHalfEven(BaseHeight * 1.25)));
    if (ZoomLowerCase && !SpeedButtonZoomCase->isChecked())
        ClickButton(SpeedButtonZoomCase);
    LoadCaseGlyph();
}

void TFormZoom::LoadCaseGlyph()
{
    const QPixmap picture = ButtonGlyph(QStringLiteral("case"), ZoomPercent);
    SpeedButtonZoomCase->setIcon(QIcon(picture));
    SpeedButtonZoomCase->setIconSize(picture.size());
}

void TFormZoom::FormResize()
{
    // Measured above the top strip; the window's smallest size keeps it positive.
    double ratio = double(height() - TopStrip) / double(std::max(1, BaseClientHeight - TopStrip));
    if (ScreenPixelsPerInch > 96)
        ratio /= 1.26;
    const int width = std::max(1, this->width() - SideMargins);
    LabelZoom->setGeometry(LabelZoom->x(), LabelZoom->y(), width,
                           std::max(1, int(RoundHalfEven(BaseZoomHeight * ratio))));
    setFontPoints(LabelZoom, int(RoundHalfEven(BaseZoomFont * ratio)));
    LabelCode->setGeometry(LabelCode->x(), LabelZoom->y() + LabelZoom->height(), width,
                           std::max(1, int(RoundHalfEven(BaseCodeHeight * ratio))));
    setFontPoints(LabelCode, int(RoundHalfEven(BaseCodeFont * ratio)));
    SpeedButtonZoomCase->move(this->width() - CaseButtonSize - 4, 0);
}

void TFormZoom::FormKeyPress(unsigned char key)
{
    ZoomTyping = true;
    const QWidget *box = typingBox();
    if (box && box->isEnabled())
        CallHook(Hooks().typeCharacter, key);
}

void TFormZoom::SpeedButtonZoomCaseClick()
{
    ZoomLowerCase = SpeedButtonZoomCase->isChecked();
}

void TFormZoom::ShowCharacter(unsigned char c, const std::string &code)
{
    if (Form1 && Form1->RadioButtonQuiz->isChecked()) {
        Clear();
        return;
    }
    const unsigned char shown = ZoomLowerCase ? cp1252::toLower(c) : cp1252::toUpper(c);
    LabelZoom->setText(characterText(shown));
    LabelCode->setText(QString::fromLatin1(code.c_str()));
}

void TFormZoom::Clear()
{
    LabelZoom->clear();
    LabelCode->clear();
}

void TFormZoom::showEvent(QShowEvent *event)
{
    TSideForm::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormZoom::hideEvent(QHideEvent *event)
{
    TSideForm::hideEvent(event);
    if (!event->spontaneous())
        rememberPlace(this);
}

void TFormZoom::closeEvent(QCloseEvent *event)
{
    TSideForm::closeEvent(event);
    if (QAction *item = menuZoom())
        item->setChecked(false);
    rememberPlace(this);
}

void TFormZoom::resizeEvent(QResizeEvent *event)
{
    TSideForm::resizeEvent(event);
    FormResize();
}

void TFormZoom::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        TSideForm::keyPressEvent(event);
        return;
    }
    // Enter, Backspace and Esc come as their control characters, as a typed key does.
    if (auto byte = cp1252::fromUnicode(text.at(0).unicode())) {
        FormKeyPress(*byte);
        event->accept();
        return;
    }
    TSideForm::keyPressEvent(event);
}

void MenuZoomClick()
{
    QAction *item = menuZoom();
    if (!item || !FormZoom)
        return;
    if (FormZoom->isVisible()) {
        FormZoom->hide();
        item->setChecked(false);
        return;
    }
    item->setChecked(true);
    FormZoom->show();
    QWidget *box = typingBox();
    if (box && box->isEnabled() && !SideWindowVisible(SideWindowPlace::DemoView)) {
        box->window()->activateWindow();
        box->setFocus();
    }
}

void BuildZoomView(TForm1 &form)
{
    ZoomTyping = false;
    ZoomLowerCase = false;
    ZoomTop = ZoomLeft = -1;
    iniZoom = false;

    auto *item = new QAction(QStringLiteral("&Zoom view"), form.MenuOutils);
    item->setObjectName(QStringLiteral("MenuZoom"));
    item->setCheckable(true);
    form.MenuOutils->insertAction(form.MenuOutilsQuit, item);
    QObject::connect(item, &QAction::triggered, item, [] { MenuZoomClick(); });
    RegisterMainWindowTexts(kTexts);
    bindSettings();

    ModeHooks &hooks = Hooks();
    hooks.zoomShowCharacter = [](unsigned char c, const std::string &code) {
        if (FormZoom && FormZoom->isVisible())
            FormZoom->ShowCharacter(c, code);
    };
    hooks.zoomClear = [] {
        if (FormZoom && FormZoom->isVisible())
            FormZoom->Clear();
    };

    // Main block: the base metrics, then the view opened again when it was open at the end.
    AddModuleStep(ModuleStep::PushParkedSettings, "zoom view", [] {
        if (!FormZoom)
            return;
        FormZoom->RecordBaseMetrics();
        if (iniZoom)
            ClickMenuItem(menuZoom());
    });
}
