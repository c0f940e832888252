#include "FormRgn.h"

#include "classlib/Forms.h"

namespace {

HRGN NewRectRegion(int l, int t, int r, int b) {
  HRGN h = CreateRectRgn(l, t, r, b);
  if (!h) throw ERegionError("CreateRectRgnに失敗しました");
  return h;
}

void Unite(HRGN into, HRGN part) {
  if (CombineRgn(into, into, part, RGN_OR) == ERROR) throw ERegionError("CombineRgnに失敗しました");
}

// Window coordinates of the picture's origin: its place in the client area
// moved by the parent's frame (nothing for a borderless window).
POINT RegionOrigin(const TControl& picture) {
  POINT o = {picture.Left(), picture.Top()};
  TWinControl* parent = picture.Parent();
  if (!parent) return o;
  RECT client = parent->ClientRect();
  int frameX = parent->Width() - (client.right - client.left);
  int frameY = parent->Height() - (client.bottom - client.top);
  o.x += frameX / 2;
  o.y += frameY - frameX / 2;
  return o;
}

}  // namespace

std::vector<RECT> OpaqueRuns(TBitmap& picture, TColor transparent) {
  std::vector<RECT> runs;
  const int w = picture.Width(), h = picture.Height();
  if (w <= 0 || h <= 0 || !picture.Bits()) return runs;
  GdiFlush();
  const COLORREF cut = ColorToRGB(transparent);
  for (int y = 1; y < h; ++y) {
    const unsigned char* row = picture.Bits() + (size_t)picture.Stride() * y;
    // The pixel at x = w lies outside and is never transparent.
    auto cutAway = [&](int x) {
      return x < w && RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]) == cut;
    };
    int start = 1;
    for (int x = 1; x <= w; ++x) {
      const bool here = cutAway(x), before = cutAway(x - 1);
      if ((x == 1 || before) && !here) {
        start = x;
      } else if (!before && (here || x == w) && x != 1) {
        runs.push_back(Rect(start, y, x, y + 1));
      }
    }
  }
  return runs;
}

TFormRgn::TFormRgn() = default;

void TFormRgn::BuildRegion() {
  RegionHandle kept(region_.release());
  try {
    region_.reset(NewRectRegion(0, 0, 0, 0));
    TBitmap drawn;
    TBitmap* bitmap = dynamic_cast<TBitmap*>(picture_.Graphic());
    if (!bitmap && !picture_.Empty()) {
      drawn.SetSize(picture_.Width(), picture_.Height());
      picture_.Graphic()->Draw(drawn.Canvas().Handle(), Rect(0, 0, drawn.Width(), drawn.Height()));
      bitmap = &drawn;
    }
    const POINT o = RegionOrigin(*this);
    if (bitmap) {
      for (const RECT& run : OpaqueRuns(*bitmap, TransparentColor)) {
        RegionHandle part(
            NewRectRegion(o.x + run.left, o.y + run.top, o.x + run.right, o.y + run.bottom));
        Unite(region_.get(), part.get());
      }
    }
  } catch (...) {
    region_ = std::move(kept);
    throw;
  }
}

void TFormRgn::ApplyRegion() {
  if (!region_) return;
  RegionHandle copy(NewRectRegion(0, 0, 0, 0));
  Unite(copy.get(), region_.get());
  HWND window = parent_ ? parent_->Handle() : nullptr;
  if (!window || !SetWindowRgn(window, copy.get(), TRUE))
    throw ERegionError("SetWindowRGNに失敗しました");
  copy.release();  // the system owns it now
}

void TFormRgn::Paint() {
  if (auto* b = dynamic_cast<TBitmap*>(picture_.Graphic())) {
    b->TransparentMode = tmFixed;
    b->TransparentColor = TransparentColor;
  }
  TImage::Paint();
}
