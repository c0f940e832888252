// The standard controls in one include.
#pragma once
#include "Button.h"
#include "ComboBox.h"
#include "Edit.h"
#include "GroupBox.h"
#include "Label.h"
#include "ListBox.h"
