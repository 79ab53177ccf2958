// Printing the picture: the print dialog picks the printer, and the picture goes on one page
// at the size it has on the screen, shrunk to fit when larger, centred. The dialog sits behind
// a small interface so that tests can stand in a device of their own.
#pragma once

#include <windows.h>

#include "capture/picture.h"
#include "core/print_layout.h"
#include "platform/handles.h"

namespace pw {

class PrintDialogs {
  public:
    virtual ~PrintDialogs() = default;
    // Shows the modal print dialog. The chosen printer's device context when the user
    // confirmed; empty when the user cancelled. Throws Failure when there is no printer or the
    // dialog fails.
    virtual UniqueDc Show(HWND owner) = 0;
};

class SystemPrintDialogs final : public PrintDialogs {
  public:
    UniqueDc Show(HWND owner) override;
};

// Whether any printer is installed, local or connected.
bool AnyPrinterInstalled();

// The printable area and resolution of a printer's device context.
PageGeometry PageOf(HDC printer);

// Draws the picture on a page whose printable area starts at the device context's origin, at
// PlaceOnPage's rectangle. Throws Failure when the drawing fails.
void DrawPictureOnPage(HDC page, const Picture& picture, UINT screenDpi,
                       const PageGeometry& geometry);

// Shows the print dialog and, once it is confirmed, prints the picture as one document of one
// page; a cancelled dialog prints nothing. Throws Failure for the empty picture (before any
// dialog), when there is no printer, and when printing fails (the document is then aborted).
void PrintPicture(HWND owner, const Picture& picture, UINT screenDpi, PrintDialogs& dialogs);

}  // namespace pw
