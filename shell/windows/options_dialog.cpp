// The options dialog: an about box with nothing to set. OK and Cancel end it; the dialog manager
// turns Return, Esc and the caption's close button into those two.
#include "shell/windows/exported_procedures.h"

static INT_PTR OnCommand(HWND dialog, WORD controlId);

INT_PTR CALLBACK TalScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;  // the dialog manager sets the focus
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    default:
        return FALSE;
    }
}

static INT_PTR OnCommand(HWND dialog, WORD controlId) {
    if (controlId != IDOK && controlId != IDCANCEL) return FALSE;
    EndDialog(dialog, controlId);
    return TRUE;
}
