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
    // The printers installed, local or connected, as the print spooler lists them: 0 with
    // their number in `count`, else the error code (RPC_S_SERVER_UNAVAILABLE, for one, while
    // the spooler is stopped).
    virtual DWORD CountPrinters(DWORD& count) = 0;
    // Shows the modal print dialog. The chosen printer's device context when the user
    // confirmed; empty when the user cancelled. Throws Failure when there is no printer or the
    // dialog fails.
    virtual UniqueDc Show(HWND owner) = 0;
};

class SystemPrintDialogs final : public PrintDialogs {
  public:
    DWORD CountPrinters(DWORD& count) override;
    UniqueDc Show(HWND owner) override;
};

// The printable area, the sheet and the resolution of a printer's device context.
PageGeometry PageOf(HDC printer);

// Draws the picture on a page whose printable area starts at the device context's origin, at
// PlaceOnPage's rectangle. Throws Failure when the drawing fails.
void DrawPictureOnPage(HDC page, const Picture& picture, UINT screenDpi,
                       const PageGeometry& geometry);

// Shows the print dialog and, once it is confirmed, prints the picture as one document of one
// page; a cancelled dialog prints nothing. Throws Failure for the empty picture, when there is
// no printer or the printers cannot be listed (each before any dialog: with no printer the
// system's dialog shows a box of its own and then answers as if cancelled), and when printing
// fails (the document is then aborted).
void PrintPicture(HWND owner, const Picture& picture, UINT screenDpi, PrintDialogs& dialogs);

}  // namespace pw
