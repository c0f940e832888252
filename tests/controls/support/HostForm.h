// One shown form for all the tests of a program: without a window manager
// Wine takes two seconds to take a shown window away, so the tests put their
// controls on this one, which lives until the program ends.
#pragma once
#include "classlib/Forms.h"

TForm& HostForm();
