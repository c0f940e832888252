// The control classes: the base, the windowless and the windowed control.
#pragma once
#include "Control.h"
#include "WinControl.h"
