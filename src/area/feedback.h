// The free-area selection's feedback: a one-pixel inverted frame around the rectangle and its
// size label inverted in the middle. Drawing the same rectangle twice on the same context
// leaves every pixel as it was, so the tracking erases by drawing again and keeps no copy.
#pragma once

#include <windows.h>

#include "core/geometry.h"

namespace pw {

// Draws nothing for an empty rectangle. A context that is null or not valid draws nothing
// either; a label bitmap that cannot be made leaves out only the label.
void DrawSelectionFeedback(HDC hDC, const Rect& rect);

}  // namespace pw
