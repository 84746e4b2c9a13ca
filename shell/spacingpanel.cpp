#include "shell/spacingpanel.h"
#include "shell/utilities.h"

#include "engine/timing.h"
#include "shell/accessiblenames.h"
#include "shell/help.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/settingskeys.h"
#include "shell/settingspanels.h"
#include "shell/stepspinbox.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

namespace {

QPointer<TPanelEspace> thePanel;

// One row of the panel: its caption on the left, its spin edit on the right.
template <typename Spin>
Spin *row(QWidget *panel, int top, QLabel *&label, const char *labelName, const char *caption, Spin *spin,
          const char *spinName)
{
    label = Named(new QLabel(QString::fromLatin1(caption), panel), labelName);
    // Two lines high, centred on the spin edit: a longer caption (German) wraps into them.
    label->setGeometry(12, top - 6, 380, 36);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setWordWrap(true);
    Named(spin, spinName)->setGeometry(400, top, 56, 24);
    NameAfter(spin, label);
    return spin;
}

QSpinBox *spin(QWidget *panel, int minimum, int maximum, int value)
{
    auto *box = new QSpinBox(panel);
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}

void showValue(QSpinBox *box, int value)
{
    const QSignalBlocker quiet(box);
    box->setValue(value);
}

// Texts of these controls that the shell's own table does not hold.
constexpr TextRow kTexts[] = {
    {"Spacing1", TextKind::Caption,
     Tr("&Spacing", "&Térközök", "&Abstände", "&Espacement", "&Spaziatura", "&Espaçamento", "&Espaciado")},
    {"MenuEspaceMot", TextKind::Caption,
     Tr("Spacing between &words", "Szavak közötti &térköz", "&Wortabstand", "Espacement entre &mots",
        "Spaziatura tra &parole", "Espaçamento entre &palavras", "Espaciado entre &palabras")},
    {"MenuPoids", TextKind::Caption, Tr("&Weight", "S&úlyozás", "&Gewichtung", "&Poids", "&Peso", "&Peso", "&Peso")},
    {"ButtonCloseEspace", TextKind::Caption, Alike("X")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

} // namespace

TPanelEspace *SpacingPanel()
{
    return thePanel.data();
}

TPanelEspace *BuildSpacingPanel(TForm1 &form)
{
    if (!thePanel)
        thePanel = new TPanelEspace(form);
    return thePanel.data();
}

TPanelEspace::TPanelEspace(TForm1 &form)
    : QFrame(form.Frame), form_(form)
{
    RegisterMainWindowTexts(kTexts);
    setObjectName(QStringLiteral("PanelEspace"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setGeometry(90, 70, 480, 280);

    LabelPanelEspace = Named(new QLabel(QStringLiteral("SPACING"), this), "LabelPanelEspace");
    // Centred between the "?" and the close button of the corners.
    LabelPanelEspace->setGeometry(34, 6, 412, 20);
    LabelPanelEspace->setAlignment(Qt::AlignCenter);
    ButtonCloseEspace = Named(new QPushButton(QStringLiteral("X"), this), "ButtonCloseEspace");
    ButtonCloseEspace->setGeometry(450, 6, 22, 22);
    ButtonHelpSpacing = NewHelpButton(this, "ButtonHelpSpacing", {8, 6, 22, 22}, LabelPanelEspace);

    const Timing &t = form.EngineTiming;
    SpinEditEspace = row(this, 40, LabelNombreEspace, "LabelNombreEspace",
                         "Number of spaces between characters (one space= 3 dots)", spin(this, 1, 30, t.CharacterSpacing()),
                         "SpinEditEspace");
    SpinEditEspaceMots = row(this, 76, LabelEspaceMots, "LabelEspaceMots",
                             "Number of spaces between words (one space= 7 dots)", spin(this, 1, 20, t.WordGapSetting()),
                             "SpinEditEspaceMots");
    SpinEditEspaceMotsFin = row(this, 112, LabelEspaceMotsFin, "LabelEspaceMotsFin", "Fine adjustment (0..6 dots)",
                                spin(this, 0, 6, t.WordGapExtra()), "SpinEditEspaceMotsFin");
    SpinEditLeadingSpace = row(this, 148, LabelLeadingSpace, "LabelLeadingSpace",
                               "Pause before each character (one space= 3 dots)", spin(this, 0, 10, t.LeadingSpace()),
                               "SpinEditLeadingSpace");
    SpinEditSpaceBug = row(this, 184, LabelSpaceBug, "LabelSpaceBug", "Silence before the first character (dots)",
                           new StepSpinBox(0, 9, 3, t.StartSilence(), this), "SpinEditSpaceBug");

    BitBtnOKEspace = Named(new QPushButton(QStringLiteral("OK"), this), "BitBtnOKEspace");
    BitBtnOKEspace->setGeometry(190, 230, 100, 32);

    connect(SpinEditEspace, &QSpinBox::valueChanged, this, [this] { SpinEditEspaceChange(); });
    connect(SpinEditEspaceMots, &QSpinBox::valueChanged, this, [this] { SpinEditEspaceMotsChange(); });
    connect(SpinEditEspaceMotsFin, &QSpinBox::valueChanged, this, [this] { SpinEditEspaceMotsFinChange(); });
    connect(SpinEditLeadingSpace, &QSpinBox::valueChanged, this, [this] { SpinEditLeadingSpaceChange(); });
    connect(SpinEditSpaceBug, &QSpinBox::valueChanged, this, [this] { SpinEditSpaceBugChange(); });
    connect(BitBtnOKEspace, &QPushButton::clicked, this, [this] { BitBtnOKEspaceClick(); });
    connect(ButtonCloseEspace, &QPushButton::clicked, this, [this] { BitBtnOKEspaceClick(); });

    // Spacing1 sits with the speed in the Speed menu (the Tools menu when there is none);
    // MenuEspaceMot in the Tools menu.
    QMenu *speedMenu = form.menuNamed(QStringLiteral("MenuVitesse"));
    Spacing1 = Named(new QAction(QStringLiteral("&Spacing"), &form), "Spacing1");
    if (speedMenu)
        speedMenu->addAction(Spacing1);
    else
        form.MenuOutils->insertAction(form.MenuOutilsQuit, Spacing1);
    MenuEspaceMot = Named(new QAction(QStringLiteral("Spacing between &words"), form.MenuOutils), "MenuEspaceMot");
    form.MenuOutils->insertAction(form.MenuOutilsQuit, MenuEspaceMot);
    connect(Spacing1, &QAction::triggered, this, [this] { EspacePlusClick(); });
    connect(MenuEspaceMot, &QAction::triggered, this, [this] { EspacePlusClick(); });

    MenuPoids = form.addMenuNamed("MenuPoids", QStringLiteral("&Weight"));
    Poids31 = Named(MenuPoids->addAction(QStringLiteral("&3/1 normal")), "Poids31");
    Poids41 = Named(MenuPoids->addAction(QStringLiteral("&4/1")), "Poids41");
    Poids51 = Named(MenuPoids->addAction(QStringLiteral("&5/1")), "Poids51");
    auto *weights = new QActionGroup(MenuPoids);
    for (QAction *item : {Poids31, Poids41, Poids51}) {
        item->setCheckable(true);
        weights->addAction(item);
    }
    Poids31->setChecked(true);
    connect(Poids31, &QAction::triggered, this, [this] { Poids31Click(); });
    connect(Poids41, &QAction::triggered, this, [this] { Poids41Click(); });
    connect(Poids51, &QAction::triggered, this, [this] { Poids51Click(); });

    // After the settings file: the controls show what it set (and what the floor left).
    Settings().addFixUp(100, "spacing panel", [] {
        if (TPanelEspace *panel = SpacingPanel())
            panel->ShowTimingModel();
    });

    hide();
}

void TPanelEspace::ShowTimingModel()
{
    const Timing &t = form_.EngineTiming;
    showValue(SpinEditEspace, t.CharacterSpacing());
    showValue(SpinEditEspaceMots, t.WordGapSetting());
    showValue(SpinEditEspaceMotsFin, t.WordGapExtra());
    showValue(SpinEditLeadingSpace, t.LeadingSpace());
    showValue(SpinEditSpaceBug, t.StartSilence());
}

void TPanelEspace::EspacePlusClick()
{
    OpenSettingsPanel(form_, this);
}

void TPanelEspace::BitBtnOKEspaceClick()
{
    CloseSettingsPanel(form_, this);
}

// After a spacing handler: the floor may have stepped a setting back, so every control shows
// the model again; then the real speed, its hint and the summaries.
void TPanelEspace::spacingChanged()
{
    ShowTimingModel();
    RefreshStateCaptions();
}

void TPanelEspace::SpinEditEspaceChange()
{
    form_.EngineTiming.setCharacterSpacing(SpinEditEspace->value());
    spacingChanged();
}

void TPanelEspace::SpinEditEspaceMotsChange()
{
    // A new word spacing starts its fine adjustment from 0.
    form_.EngineTiming.setWordSpacing(SpinEditEspaceMots->value());
    spacingChanged();
}

void TPanelEspace::SpinEditEspaceMotsFinChange()
{
    form_.EngineTiming.setWordSpacingFine(SpinEditEspaceMotsFin->value());
    spacingChanged();
}

void TPanelEspace::SpinEditLeadingSpaceChange()
{
    form_.EngineTiming.setLeadingSpace(SpinEditLeadingSpace->value());
    spacingChanged();
}

void TPanelEspace::SpinEditSpaceBugChange()
{
    form_.EngineTiming.setStartSilence(SpinEditSpaceBug->value());
    spacingChanged();
}

void TPanelEspace::weightClick(QAction *item, int weight)
{
    item->setChecked(true);
    form_.EngineTiming.setDashWeight(weight);
}

void TPanelEspace::Poids31Click()
{
    weightClick(Poids31, 3);
}

void TPanelEspace::Poids41Click()
{
    weightClick(Poids41, 4);
}

void TPanelEspace::Poids51Click()
{
    weightClick(Poids51, 5);
}
