#pragma once

// The application's hint display time: how long every tooltip stays on screen. Qt has no
// setting for the whole application (a widget shows its tooltip for its own
// toolTipDuration, and by default for a time that grows with the text), so an event filter
// gives each widget the time just before it shows its tooltip. A widget given a time of its
// own keeps it.
void SetHintDisplayTime(int milliseconds);
