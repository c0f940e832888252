// Panels, images, speed buttons, timers, pages and menus in one include.
#pragma once
#include "Image.h"
#include "Menus.h"
#include "PageControl.h"
#include "PaintBox.h"
#include "Panel.h"
#include "SpeedButton.h"
#include "Timer.h"
