// Keys as the message loop delivers them: the layer's key pre-processing
// (dialog keys, shortcuts), then the key-down with its translated character.
#pragma once
#include <windows.h>

#include <string>

// Presses and releases a key on the window; shift holds these modifiers
// (VK_SHIFT, VK_CONTROL, VK_MENU) meanwhile.
void PressKey(HWND window, WORD key, std::initializer_list<WORD> shift = {});
// Types the characters as WM_CHAR messages.
void TypeText(HWND window, const std::wstring& text);
