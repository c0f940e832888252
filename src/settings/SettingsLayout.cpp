#include "SettingsLayout.h"

#include "classlib/Dialogs.h"

int CheckBoxWidth(const TFont& font, const std::string& caption) {
  return FontTextExtent(font, caption).cx + GetSystemMetrics(SM_CXMENUCHECK) + 8;
}

void PlaceCaption(TLabel& label, TWinControl* parent, int left, TWinControl& field,
                  const std::string& caption) {
  label.Create(TLabelArgs().Place(parent, left, field.Top()).Caption(caption).FocusControl(&field));
  label.SetTop(field.Top() + (field.Height() - label.Height()) / 2);
}

void PlaceUnit(TLabel& label, TWinControl& field, const std::string& caption) {
  label.Create(TLabelArgs().Place(field.Parent(), field.Left() + field.Width() + kUnitGap, field.Top())
                   .Caption(caption));
  label.SetTop(field.Top() + (field.Height() - label.Height()) / 2);
}

void PlaceCheckBox(TCheckBox& box, TWinControl* parent, int left, int top,
                   const std::string& caption, const std::string& hint) {
  box.Create(TCheckBoxArgs()
                 .Place(parent, left, top, CheckBoxWidth(parent->Font(), caption), 19)
                 .Caption(caption)
                 .Hint(hint)
                 .ShowHint(!hint.empty())
                 .TabStop(true));
}

void PlaceNote(TMemo& note, TWinControl* parent, int left, int top, int width,
               const std::vector<std::string>& lines) {
  int rows = 0;
  for (const std::string& line : lines) {
    int w = line.empty() ? 0 : FontTextExtent(parent->Font(), line).cx;
    rows += w <= width - 4 ? 1 : (w + width - 5) / (width - 4);
  }
  int height = rows * FontTextExtent(parent->Font(), "W").cy + 4;
  note.Create(TMemoArgs()
                  .Place(parent, left, top, width, height)
                  .ReadOnly(true)
                  .BorderStyle(ebsNone)
                  .TabStop(false)
                  .ParentColor(true)
                  .FontColor(clNavy)
                  .WantReturns(false)
                  .Lines(lines));
}
