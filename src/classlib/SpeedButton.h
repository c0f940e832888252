// A painted button with a glyph (no window of its own).
#pragma once
#include "Controls.h"

enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TSpeedButtonValues : TControlValues {
  const TBitmap* Glyph = nullptr;  // copied
  std::optional<int> NumGlyphs;
  std::optional<int> GroupIndex;
  std::optional<bool> Down;
  std::optional<bool> AllowAllUp;
  std::optional<bool> Flat;
  std::optional<bool> Transparent;
  std::optional<TButtonLayout> Layout;
  std::optional<int> Margin;
  std::optional<int> Spacing;
};

template <class Self, class V = TSpeedButtonValues>
struct TSpeedButtonArgsOf : TControlArgsOf<Self, V> {
  CREATE_ARG(Glyph)
  CREATE_ARG(NumGlyphs)
  CREATE_ARG(GroupIndex)
  CREATE_ARG(Down)
  CREATE_ARG(AllowAllUp)
  CREATE_ARG(Flat)
  CREATE_ARG(Transparent)
  CREATE_ARG(Layout)
  CREATE_ARG(Margin)
  CREATE_ARG(Spacing)
};
struct TSpeedButtonArgs : TSpeedButtonArgsOf<TSpeedButtonArgs> {};

class TSpeedButton : public TGraphicControl {
 public:
  TSpeedButton();
  ~TSpeedButton() override;
  void Create(const TSpeedButtonValues& v);

  // The glyph; its transparent colour is the bottom-left pixel unless fixed.
  TBitmap& Glyph() { return glyph_; }
  void SetGlyph(const TBitmap& b);
  void GlyphChanged() { Invalidate(); }
  int NumGlyphs = 1;  // images side by side in the glyph: up, disabled, down, exclusive

  bool Down() const { return down_; }
  void SetDown(bool v);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int g);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  TButtonLayout Layout = blGlyphLeft;
  int Margin = -1;  // -1: glyph and caption centred together
  int Spacing = 4;
  // The click is raised on the button-up inside the button.
  void Click() override;

  TButtonState State() const { return state_; }
  bool MouseInControl() const { return mouseInControl_; }

 protected:
  void Paint() override;
  void HandleMessage(TMessage& m) override;
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
  void MouseMove(TShiftState s, int x, int y) override;
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;
  void EnabledChanged() override;
  // The frame, classic (DrawFrameControl / DrawEdge) or as a toolbar button
  // under visual styles; narrows r to the inside.
  void PaintFrame(RECT& r);
  void PaintThemed(RECT& r);
  int ThemeState() const;
  // A flat button, and every button under visual styles, shows a hot look
  // while the mouse is over it.
  bool TracksMouse() const;
  // Brings the mouse-inside flag in line with the cursor.
  void RecheckMouseInside();
  // The glyph and caption laid out in r, shifted by offset, in the canvas's font.
  void DrawGlyphAndCaption(RECT r, POINT offset, TButtonState state);
  // Pattern of clBtnFace and clBtnHighlight for the held-down look.
  static HBRUSH DitherBrush();
  void UpdateExclusive();
  void UpdateState();
  // Whether a mouse position (client coordinates) counts as on the button.
  bool HitsButton(int x, int y) const;

  TBitmap glyph_;
  bool down_ = false;
  int groupIndex_ = 0;
  bool allowAllUp_ = false;
  bool flat_ = false;
  bool transparent_ = true;
  TButtonState state_ = bsUp;
  bool mouseInControl_ = false;
  bool dragging_ = false;  // the left-button press that began here is still held
};
