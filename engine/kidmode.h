#pragma once

// Kid mode's pure rules: whether the decoded text ends in the word the child should key,
// and the kid view's window size.

#include <string_view>

enum class KidCheckResult { Unchanged, Start, Stop };

// The kid check after a decoded character. `memoText` is the monitor's text, `target` the
// word to key (blanks removed, A-Z in lower case). A text ending in a space stops the
// animation; otherwise the last target-length characters of the text (ASCII lower case;
// spaces, CR and LF skipped) equal to the target start it and differ to stop it. A text too
// short for the target changes nothing, and so does an empty target.
KidCheckResult KidCheck(std::string_view memoText, std::string_view target);

struct KidSize {
    int width = 0;
    int height = 0;
};

// The size the kid view takes: the stored size at 100 % scaled by the enlargement.
KidSize KidSizeAtZoom(KidSize base, int zoomPercent);
// The size stored when the view is left: the window's size brought back to 100 %.
KidSize KidSizeAtHundred(KidSize window, int zoomPercent);
