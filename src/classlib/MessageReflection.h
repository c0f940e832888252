// The messages a window passes on to its child controls' objects, and those
// the message loop sends ahead of a key message.
#pragma once
#include <windows.h>

// Notifications the parent reflects back to the child's object: CN_BASE + WM_x.
const UINT CN_BASE = 0xBC00;
const UINT CN_COMMAND = CN_BASE + WM_COMMAND;
const UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
const UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
const UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
const UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
const UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
const UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
const UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
// Sent from the message loop before a key message is dispatched; a non-zero
// Result means the key was used up (dialog navigation, shortcuts).
const UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
const UINT CN_CHAR = CN_BASE + WM_CHAR;
const UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
