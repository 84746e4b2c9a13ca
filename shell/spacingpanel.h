#pragma once

// The spacing panel PanelEspace ("SPACING"): character spacing, word spacing and its fine
// adjustment, the pause before every character and the silence before a transmission, on
// the main window's timing model; its two menu items (Spacing1, MenuEspaceMot). Also the
// Weight menu (3/1, 4/1, 5/1 dash weight).

#include <QFrame>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class TForm1;

class TPanelEspace : public QFrame {
    Q_OBJECT
public:
    explicit TPanelEspace(TForm1 &form);

    QLabel *LabelPanelEspace;
    QLabel *LabelNombreEspace;
    QSpinBox *SpinEditEspace; // S 1..30
    QLabel *LabelEspaceMots;
    QSpinBox *SpinEditEspaceMots; // W 1..20
    QLabel *LabelEspaceMotsFin;
    QSpinBox *SpinEditEspaceMotsFin; // F 0..6
    QLabel *LabelLeadingSpace;
    QSpinBox *SpinEditLeadingSpace; // N 0..10
    QLabel *LabelSpaceBug;
    QSpinBox *SpinEditSpaceBug; // B 0, 3, 6, 9 (in steps of 3)
    QPushButton *BitBtnOKEspace;
    QPushButton *ButtonCloseEspace;
    QPushButton *ButtonHelpSpacing;
    QAction *Spacing1;
    QAction *MenuEspaceMot;

    QMenu *MenuPoids; // Weight
    QAction *Poids31;
    QAction *Poids41;
    QAction *Poids51;

    // Handlers.
    void EspacePlusClick();
    void BitBtnOKEspaceClick();
    void SpinEditEspaceChange();
    void SpinEditEspaceMotsChange();
    void SpinEditEspaceMotsFinChange();
    void SpinEditLeadingSpaceChange();
    void SpinEditSpaceBugChange();
    void Poids31Click();
    void Poids41Click();
    void Poids51Click();

    // The controls show what the timing model holds (after the settings file, the command
    // line, or a real-speed floor that stepped a setting back).
    void ShowTimingModel();

private:
    void spacingChanged();
    void weightClick(QAction *item, int weight);

    TForm1 &form_;
};

// Builds the panel (hidden), its menu items and the Weight menu on the main window.
TPanelEspace *BuildSpacingPanel(TForm1 &form);

// The panel while the main window exists, else null.
TPanelEspace *SpacingPanel();
