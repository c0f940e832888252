// What the drop-down windows of a combo edit (its list and the calendar)
// share: they take neither the activation nor the middle button, and draw
// themselves as focused while the combo edit keeps the real focus.
#pragma once
#include "classlib/Controls.h"

// True when the message is used up.
bool DropDownMessage(TMessage& m);
// Sends WM_SETFOCUS to the system class's own procedure only.
void DrawAsFocused(HWND window, WNDPROC systemProc);
