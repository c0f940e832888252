// The spacing of the settings pages and the small pieces they are made of:
// captions in front of fields, unit labels after them, notes below them.
#pragma once
#include <string>
#include <vector>

#include "classlib/Button.h"
#include "classlib/Edit.h"
#include "classlib/Label.h"

const int kPageMargin = 12;  // page edge to the controls
const int kRowPitch = 27;    // top of one field row to the next
const int kFieldHeight = 21;
const int kUnitGap = 4;      // field to its unit label

// Width of a check box that shows its whole caption in font.
int CheckBoxWidth(const TFont& font, const std::string& caption);

// A caption at left, centred on field, whose accelerator focuses field.
void PlaceCaption(TLabel& label, TWinControl* parent, int left, TWinControl& field,
                  const std::string& caption);
// A unit label right after field, centred on it.
void PlaceUnit(TLabel& label, TWinControl& field, const std::string& caption);
// A check box sized to its caption.
void PlaceCheckBox(TCheckBox& box, TWinControl* parent, int left, int top,
                   const std::string& caption, const std::string& hint);
// A read-only navy note without border that takes no focus, as high as its
// lines (wrapped at width) need.
void PlaceNote(TMemo& note, TWinControl* parent, int left, int top, int width,
               const std::vector<std::string>& lines);
