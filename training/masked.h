#pragma once

// Masked text: two marker characters, set in the small panel PanelMaskedText (menu item
// MenuMaskedtext), between which a file text is not sent; the markers are not sent either.
// The engine skips the stretch (EngineState::MaskStartChar, MaskEndChar, MaskActive).

class TForm1;

// The panel, its menu item and the settings key MASKED_CHAR= (built with the file mode).
void BuildMaskedTextPanel(TForm1 &form);

void MenuMaskedtextClick();
void ButtonMaskedTextOKClick();
void ButtonMaskedTextCancelClick();
