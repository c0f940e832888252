// Alt+letter on a form: the control whose caption marks that letter with "&"
// acts, as in a Windows dialog.
#pragma once
#include <string>

#include <windows.h>

class TWinControl;

// The upper-case character after a single "&" of the caption ("&&" is a
// plain "&"); 0 when the caption marks none.
char AcceleratorChar(const std::string& caption);
// A shown and enabled control of root marking the key (a virtual-key code
// of a letter or digit): a label focuses its FocusControl, a button or
// speed button is clicked, a check box is focused and toggled. True when
// one acted.
bool ActivateAccelerator(TWinControl* root, WORD key);
