#include "Graphics.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "DibFile.h"
#include "Text.h"

COLORREF ColorToRGB(TColor c) {
  if (c == clNone || c == clDefault) return 0;
  if (c < 0) return GetSysColor(c & 0xFF);
  return (COLORREF)(c & 0xFFFFFF);
}

bool ReadFileBytes(const std::string& path, std::vector<unsigned char>& out) {
  out.clear();
  if (path.empty()) return false;
  KernelHandle h(CreateFileW(SjisToWide(path).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(h.get(), &size) && size.QuadPart < 256 * 1024 * 1024;
  if (ok) {
    out.resize((size_t)size.QuadPart);
    DWORD got = 0;
    ok = out.empty() ||
         (ReadFile(h.get(), out.data(), (DWORD)out.size(), &got, nullptr) && got == out.size());
  }
  if (!ok) out.clear();
  return ok;
}

static int ScreenPixelsPerInch() {
  static int ppi = 0;
  if (!ppi) {
    WindowDC screen;
    ppi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    if (ppi <= 0) ppi = 96;
  }
  return ppi;
}

const char* const DefaultFontName = "ＭＳ Ｐゴシック";

static int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *(bool*)found = true;
  return 0;
}

static bool FaceInstalled(const std::wstring& face, BYTE charset) {
  static std::map<std::wstring, bool> known;
  std::wstring key = face + L'|' + std::to_wstring(charset);
  auto it = known.find(key);
  if (it != known.end()) return it->second;
  LOGFONTW lf = {};
  lf.lfCharSet = charset;
  lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
  bool found = false;
  WindowDC screen;
  EnumFontFamiliesExW(screen.get(), &lf, FaceFound, (LPARAM)&found, 0);
  known[key] = found;
  return found;
}

std::wstring ResolveFaceName(const std::string& name, BYTE charset) {
  std::wstring face = SjisToWide(name.empty() || name == "Default" ? DefaultFontName : name);
  if (FaceInstalled(face, charset)) return face;
  // Under Wine the Windows Japanese faces are missing: take an IPA face so
  // that Japanese glyphs still show.
  bool mincho = face.find(L"\u660e\u671d") != std::wstring::npos ||
                face.find(L"Mincho") != std::wstring::npos;
  bool proportional = face.find(L"\uff30") != std::wstring::npos ||  // full-width P
                      face.find(L" P") != std::wstring::npos ||
                      face.find(L"UI") != std::wstring::npos ||
                      (face.find(L"\u30b4\u30b7\u30c3\u30af") == std::wstring::npos &&
                       face.find(L"Gothic") == std::wstring::npos && !mincho);
  const wchar_t* candidates[2];
  if (mincho) {
    candidates[0] = proportional ? L"IPAPMincho" : L"IPAMincho";
    candidates[1] = proportional ? L"IPAPGothic" : L"IPAGothic";
  } else {
    candidates[0] = proportional ? L"IPAPGothic" : L"IPAGothic";
    candidates[1] = proportional ? L"IPAGothic" : L"IPAPGothic";
  }
  for (const wchar_t* c : candidates)
    if (FaceInstalled(c, DEFAULT_CHARSET)) return c;
  return face;
}

namespace {
std::map<std::wstring, std::weak_ptr<FontHandle>>& FontCache() {
  static std::map<std::wstring, std::weak_ptr<FontHandle>> cache;
  return cache;
}
}  // namespace

TFont::TFont()
    : name_(DefaultFontName), height_(-12), color_(clWindowText), charset_(SHIFTJIS_CHARSET) {}

TFont::TFont(const TFont& o)
    : name_(o.name_),
      height_(o.height_),
      style_(o.style_),
      color_(o.color_),
      charset_(o.charset_),
      handle_(o.handle_) {}

TFont& TFont::operator=(const TFont& o) {
  if (this == &o) return *this;
  bool same = *this == o;
  name_ = o.name_;
  height_ = o.height_;
  style_ = o.style_;
  color_ = o.color_;
  charset_ = o.charset_;
  handle_ = o.handle_;
  if (!same && OnChange) OnChange();
  return *this;
}

bool TFont::operator==(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ && color_ == o.color_ &&
         charset_ == o.charset_;
}

void TFont::Changed() {
  handle_.reset();
  if (OnChange) OnChange();
}

void TFont::SetName(const std::string& n) {
  if (n == name_) return;
  name_ = n;
  Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, ScreenPixelsPerInch()); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::SetHeight(int h) {
  if (h == height_) return;
  height_ = h;
  Changed();
}

void TFont::SetStyle(TFontStyles s) {
  if (s == style_) return;
  style_ = s;
  Changed();
}

void TFont::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  // The colour is not part of the GDI font: keep the handle.
  if (OnChange) OnChange();
}

void TFont::SetCharset(BYTE c) {
  if (c == charset_) return;
  charset_ = c;
  Changed();
}

HFONT TFont::Handle() const {
  if (handle_) return handle_->get();
  std::wstring face = ResolveFaceName(name_, charset_);
  std::wstring key = face + L'|' + std::to_wstring(height_) + L'|' + std::to_wstring(style_) +
                     L'|' + std::to_wstring(charset_);
  auto& cache = FontCache();
  auto it = cache.find(key);
  if (it != cache.end()) handle_ = it->second.lock();
  if (!handle_) {
    LOGFONTW lf = {};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
    lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = charset_;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    handle_ = std::make_shared<FontHandle>(CreateFontIndirectW(&lf));
    cache[key] = handle_;
  }
  return handle_->get();
}

TCanvas::TCanvas(HDC dc) : dc_(dc) {}

TCanvas::~TCanvas() { Restore(); }

void TCanvas::Restore() {
  if (!dc_) return;
  if (oldFont_) SelectObject(dc_, oldFont_);
  if (oldBrush_) SelectObject(dc_, oldBrush_);
  if (oldPen_) SelectObject(dc_, oldPen_);
  oldFont_ = oldBrush_ = oldPen_ = nullptr;
  brush_.reset();
  pen_.reset();
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  Restore();
  dc_ = dc;
}

void TCanvas::ApplyFont() {
  if (!dc_) return;
  HGDIOBJ old = SelectObject(dc_, Font.Handle());
  if (!oldFont_) oldFont_ = old;
  SetTextColor(dc_, ColorToRGB(Font.Color()));
  if (Brush.Style == bsClear) {
    SetBkMode(dc_, TRANSPARENT);
  } else {
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, ColorToRGB(Brush.Color));
  }
}

void TCanvas::ApplyBrush() {
  if (!dc_) return;
  HGDIOBJ obj;
  BrushHandle fresh;
  if (Brush.Style == bsClear) {
    obj = GetStockObject(NULL_BRUSH);
  } else if (Brush.Pattern) {
    obj = Brush.Pattern;
  } else {
    fresh.reset(CreateSolidBrush(ColorToRGB(Brush.Color)));
    obj = fresh.get();
  }
  HGDIOBJ old = SelectObject(dc_, obj);
  if (!oldBrush_) oldBrush_ = old;
  brush_ = std::move(fresh);  // the previous own brush is no longer selected
}

void TCanvas::ApplyPen() {
  if (!dc_) return;
  HGDIOBJ obj;
  PenHandle fresh;
  if (Pen.Style == psClear) {
    obj = GetStockObject(NULL_PEN);
  } else {
    int style = Pen.Style == psDash ? PS_DASH : Pen.Style == psDot ? PS_DOT : PS_SOLID;
    fresh.reset(CreatePen(style, Pen.Width, ColorToRGB(Pen.Color)));
    obj = fresh.get();
  }
  HGDIOBJ old = SelectObject(dc_, obj);
  if (!oldPen_) oldPen_ = old;
  pen_ = std::move(fresh);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  if (!dc_) return;
  ApplyFont();
  std::wstring w = SjisToWide(text);
  TextOutW(dc_, x, y, w.c_str(), (int)w.size());
}

void TCanvas::TextRect(const RECT& r, int x, int y, const std::string& text) {
  if (!dc_) return;
  ApplyFont();
  std::wstring w = SjisToWide(text);
  UINT opts = ETO_CLIPPED | (Brush.Style == bsClear ? 0 : ETO_OPAQUE);
  ExtTextOutW(dc_, x, y, opts, &r, w.c_str(), (UINT)w.size(), nullptr);
}

SIZE TCanvas::TextExtent(const std::string& text) {
  SIZE sz = {0, 0};
  std::wstring w = SjisToWide(text);
  if (!dc_) {
    WindowDC screen;
    SelectObjectScope font(screen.get(), Font.Handle());
    GetTextExtentPoint32W(screen.get(), w.c_str(), (int)w.size(), &sz);
    return sz;
  }
  HGDIOBJ old = SelectObject(dc_, Font.Handle());
  if (!oldFont_) oldFont_ = old;
  GetTextExtentPoint32W(dc_, w.c_str(), (int)w.size(), &sz);
  return sz;
}

int TCanvas::DrawText(const std::string& text, RECT& r, UINT flags) {
  if (!dc_) return 0;
  ApplyFont();
  std::wstring w = SjisToWide(text);
  return DrawTextW(dc_, w.c_str(), (int)w.size(), &r, flags);
}

void TCanvas::DrawDisabledText(const std::string& text, RECT& r, UINT flags) {
  OffsetRect(&r, 1, 1);
  Font.SetColor(clBtnHighlight);
  DrawText(text, r, flags);
  OffsetRect(&r, -1, -1);
  Font.SetColor(clBtnShadow);
  DrawText(text, r, flags);
}

void TCanvas::FillRect(const RECT& r) {
  if (!dc_ || Brush.Style == bsClear) return;
  if (Brush.Pattern) {
    ::FillRect(dc_, &r, Brush.Pattern);
    return;
  }
  BrushHandle b(CreateSolidBrush(ColorToRGB(Brush.Color)));
  ::FillRect(dc_, &r, b.get());
}

void TCanvas::FrameRect(const RECT& r) {
  if (!dc_) return;
  BrushHandle b(CreateSolidBrush(ColorToRGB(Brush.Color)));
  ::FrameRect(dc_, &r, b.get());
}

void TCanvas::Rectangle(int l, int t, int r, int b) {
  if (!dc_) return;
  ApplyPen();
  ApplyBrush();
  ::Rectangle(dc_, l, t, r, b);
}

void TCanvas::RoundRect(int l, int t, int r, int b, int cornerWidth, int cornerHeight) {
  if (!dc_) return;
  ApplyPen();
  ApplyBrush();
  ::RoundRect(dc_, l, t, r, b, cornerWidth, cornerHeight);
}

void TCanvas::Ellipse(int l, int t, int r, int b) {
  if (!dc_) return;
  ApplyPen();
  ApplyBrush();
  ::Ellipse(dc_, l, t, r, b);
}

void TCanvas::MoveTo(int x, int y) {
  if (dc_) MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  if (!dc_) return;
  ApplyPen();
  ::LineTo(dc_, x, y);
}

void TCanvas::Polyline(const std::vector<POINT>& pts) {
  if (!dc_ || pts.empty()) return;
  ApplyPen();
  ::Polyline(dc_, pts.data(), (int)pts.size());
}

void TCanvas::Draw(int x, int y, const TGraphic& g) {
  if (dc_ && !g.Empty()) g.Draw(dc_, Bounds(x, y, g.Width(), g.Height()));
}

void TCanvas::StretchDraw(const RECT& r, const TGraphic& g) {
  if (dc_ && !g.Empty()) g.Draw(dc_, r);
}

void TCanvas::CopyRect(const RECT& dest, const TCanvas& src, const RECT& source) {
  if (!dc_ || !src.dc_) return;
  StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, src.dc_,
             source.left, source.top, source.right - source.left, source.bottom - source.top,
             SRCCOPY);
}

void TCanvas::GradientFill(const RECT& r, TColor from, TColor to, bool vertical) {
  if (!dc_) return;
  COLORREF a = ColorToRGB(from), b = ColorToRGB(to);
  int extent = vertical ? r.bottom - r.top : r.right - r.left;
  if (extent <= 0) return;
  for (int i = 0; i < extent; ++i) {
    auto mix = [&](int ca, int cb) { return ca + (cb - ca) * i / std::max(1, extent - 1); };
    COLORREF c = RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
                     mix(GetBValue(a), GetBValue(b)));
    BrushHandle br(CreateSolidBrush(c));
    RECT band = vertical ? Rect(r.left, r.top + i, r.right, r.top + i + 1)
                         : Rect(r.left + i, r.top, r.left + i + 1, r.bottom);
    ::FillRect(dc_, &band, br.get());
  }
}

TColor TCanvas::Pixel(int x, int y) const {
  if (!dc_) return clNone;
  return (TColor)GetPixel(dc_, x, y);
}

void TCanvas::SetPixel(int x, int y, TColor c) {
  if (dc_) ::SetPixel(dc_, x, y, ColorToRGB(c));
}

void Frame3D(TCanvas& c, RECT& r, TColor topLeft, TColor bottomRight, int width) {
  HDC dc = c.Handle();
  if (!dc) return;
  BrushHandle tl(CreateSolidBrush(ColorToRGB(topLeft))), br(CreateSolidBrush(ColorToRGB(bottomRight)));
  for (int i = 0; i < width && r.right > r.left && r.bottom > r.top; ++i) {
    RECT top = Rect(r.left, r.top, r.right - 1, r.top + 1), left = Rect(r.left, r.top, r.left + 1, r.bottom - 1);
    RECT bottom = Rect(r.left, r.bottom - 1, r.right, r.bottom), right = Rect(r.right - 1, r.top, r.right, r.bottom);
    ::FillRect(dc, &top, tl.get());
    ::FillRect(dc, &left, tl.get());
    ::FillRect(dc, &bottom, br.get());
    ::FillRect(dc, &right, br.get());
    InflateRect(&r, -1, -1);
  }
}

TBitmap::TBitmap(const TBitmap& o) : TGraphic() { *this = o; }

TBitmap& TBitmap::operator=(const TBitmap& o) {
  if (this == &o) return *this;
  Clear();
  Transparent = o.Transparent;
  TransparentMode = o.TransparentMode;
  TransparentColor = o.TransparentColor;
  if (!o.Empty()) {
    GdiFlush();
    SetSize(o.w_, o.h_);
    if (bits_ && o.bits_) memcpy(bits_, o.bits_, (size_t)Stride() * h_);
  }
  return *this;
}

std::unique_ptr<TGraphic> TBitmap::Clone() const { return std::make_unique<TBitmap>(*this); }

void TBitmap::CloseCanvas() {
  if (canvas_) canvas_->SetHandle(nullptr);
  selected_.reset();
  canvas_.reset();
  dc_.reset();
}

void TBitmap::Clear() {
  CloseCanvas();
  bmp_.reset();
  bits_ = nullptr;
  w_ = h_ = 0;
}

void TBitmap::SetSize(int w, int h) {
  Clear();
  if (w <= 0 || h <= 0 || (long long)w * h > 64LL * 1024 * 1024) return;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  BitmapHandle b(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!b || !bits) return;
  bmp_ = std::move(b);
  bits_ = (unsigned char*)bits;
  w_ = w;
  h_ = h;
  memset(bits_, 0xFF, (size_t)Stride() * h_);
}

void TBitmap::Assign(HBITMAP source) {
  BITMAP bm = {};
  if (!source || !GetObjectW(source, sizeof bm, &bm)) {
    Clear();
    return;
  }
  SetSize(bm.bmWidth, bm.bmHeight);
  if (!bmp_) return;
  MemoryDC src, dst;
  SelectObjectScope s1(src.get(), source), s2(dst.get(), bmp_.get());
  BitBlt(dst.get(), 0, 0, w_, h_, src.get(), 0, 0, SRCCOPY);
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_) {
    dc_ = std::make_unique<MemoryDC>(nullptr);
    if (bmp_) selected_ = std::make_unique<SelectObjectScope>(dc_->get(), bmp_.get());
    canvas_ = std::make_unique<TCanvas>(dc_->get());
  }
  return *canvas_;
}

TColor TBitmap::EffectiveTransparentColor() const {
  if (TransparentMode == tmFixed && TransparentColor != clDefault)
    return (TColor)ColorToRGB(TransparentColor);
  if (!bits_) return clNone;
  GdiFlush();
  const unsigned char* p = bits_ + (size_t)Stride() * (h_ - 1);
  return (TColor)RGB(p[2], p[1], p[0]);
}

void TBitmap::Draw(HDC dc, const RECT& r) const { DrawPart(dc, r, Rect(0, 0, w_, h_)); }

void TBitmap::DrawPart(HDC dc, const RECT& r, const RECT& s) const {
  if (!bmp_) return;
  std::unique_ptr<MemoryDC> own;
  std::unique_ptr<SelectObjectScope> selected;
  HDC src;
  if (dc_) {
    src = dc_->get();
  } else {
    own = std::make_unique<MemoryDC>(dc);
    src = own->get();
    selected = std::make_unique<SelectObjectScope>(src, bmp_.get());
  }
  int w = r.right - r.left, h = r.bottom - r.top;
  int sw = s.right - s.left, sh = s.bottom - s.top;
  if (Transparent) {
    ::TransparentBlt(dc, r.left, r.top, w, h, src, s.left, s.top, sw, sh,
                     ColorToRGB(EffectiveTransparentColor()));
  } else if (w == sw && h == sh) {
    BitBlt(dc, r.left, r.top, w, h, src, s.left, s.top, SRCCOPY);
  } else {
    int mode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, r.left, r.top, w, h, src, s.left, s.top, sw, sh, SRCCOPY);
    SetStretchBltMode(dc, mode);
  }
}

bool TBitmap::LoadFromFile(const std::string& path) {
  std::vector<unsigned char> data;
  if (!ReadFileBytes(path, data)) {
    Clear();
    return false;
  }
  return LoadFromMemory(data.data(), data.size());
}

bool TBitmap::LoadFromMemory(const void* data, size_t size) {
  Clear();
  TDibFile dib;
  if (!ReadDibFile(data, size, dib)) return false;
  const int w = dib.Width, h = dib.Rows;
  SetSize(w, h);
  if (!bmp_) return false;
  MemoryDC dc;
  SelectObjectScope sel(dc.get(), bmp_.get());
  int lines = StretchDIBits(dc.get(), 0, 0, w, h, 0, 0, w, h, dib.Bits, dib.Info(), DIB_RGB_COLORS,
                            SRCCOPY);
  if (lines == 0 || lines == (int)GDI_ERROR) {
    Clear();
    return false;
  }
  return true;
}

TIcon::~TIcon() = default;

void TIcon::SetHandle(HICON icon) {
  if (icon != icon_.get()) icon_.reset(icon);
  w_ = h_ = 0;
  ICONINFO ii;
  if (icon_ && GetIconInfo(icon_.get(), &ii)) {
    BitmapHandle color(ii.hbmColor), mask(ii.hbmMask);
    BITMAP bm = {};
    if (color && GetObjectW(color.get(), sizeof bm, &bm)) {
      w_ = bm.bmWidth;
      h_ = bm.bmHeight;
    } else if (mask && GetObjectW(mask.get(), sizeof bm, &bm)) {
      w_ = bm.bmWidth;
      h_ = bm.bmHeight / 2;
    }
  }
}

void TIcon::Draw(HDC dc, const RECT& r) const {
  if (icon_)
    DrawIconEx(dc, r.left, r.top, icon_.get(), r.right - r.left, r.bottom - r.top, 0, nullptr,
               DI_NORMAL);
}

std::unique_ptr<TGraphic> TIcon::Clone() const {
  auto c = std::make_unique<TIcon>();
  if (icon_) c->SetHandle(CopyIcon(icon_.get()));
  c->Transparent = Transparent;
  return c;
}

bool TIcon::LoadFromFile(const std::string& path) {
  std::vector<unsigned char> data;
  if (!ReadFileBytes(path, data)) {
    SetHandle(nullptr);
    return false;
  }
  return LoadFromMemory(data.data(), data.size());
}

bool TIcon::LoadFromMemory(const void* data, size_t size) {
  SetHandle(nullptr);
  const unsigned char* p = (const unsigned char*)data;
  if (!p || size < 6 + 16) return false;
  WORD reserved, type, count;
  memcpy(&reserved, p, 2);
  memcpy(&type, p + 2, 2);
  memcpy(&count, p + 4, 2);
  if (reserved != 0 || (type != 1 && type != 2) || count == 0) return false;
  const unsigned char* e = p + 6;  // the first image
  DWORD bytes, offset;
  memcpy(&bytes, e + 8, 4);
  memcpy(&offset, e + 12, 4);
  if (offset >= size || bytes > size - offset || bytes < 40) return false;
  int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
  HICON icon = CreateIconFromResourceEx((PBYTE)(p + offset), bytes, type == 1, 0x00030000, w, h,
                                        LR_DEFAULTCOLOR);
  if (!icon) return false;
  SetHandle(icon);
  return true;
}

TMetafile::~TMetafile() {
  if (emf_) DeleteEnhMetaFile(emf_);
}

void TMetafile::Draw(HDC dc, const RECT& r) const {
  if (emf_) PlayEnhMetaFile(dc, emf_, &r);
}

std::unique_ptr<TGraphic> TMetafile::Clone() const {
  auto c = std::make_unique<TMetafile>();
  if (emf_) c->emf_ = CopyEnhMetaFileW(emf_, nullptr);
  c->w_ = w_;
  c->h_ = h_;
  c->Transparent = Transparent;
  return c;
}

bool TMetafile::LoadFromFile(const std::string& path) {
  std::vector<unsigned char> data;
  if (!ReadFileBytes(path, data)) {
    LoadFromMemory(nullptr, 0);
    return false;
  }
  return LoadFromMemory(data.data(), data.size());
}

bool TMetafile::LoadFromMemory(const void* data, size_t size) {
  if (emf_) DeleteEnhMetaFile(emf_);
  emf_ = nullptr;
  w_ = h_ = 0;
  const unsigned char* p = (const unsigned char*)data;
  if (!p || size < 18) return false;
  int ppi = ScreenPixelsPerInch();
  DWORD key;
  memcpy(&key, p, 4);
  if (key == 0x9AC6CDD7) {  // placeable WMF: a 22-byte header with the bounds
    if (size < 22 + 18) return false;
    short l, t, r, b;
    WORD inch;
    memcpy(&l, p + 6, 2);
    memcpy(&t, p + 8, 2);
    memcpy(&r, p + 10, 2);
    memcpy(&b, p + 12, 2);
    memcpy(&inch, p + 14, 2);
    if (!inch) inch = 1440;
    METAFILEPICT mfp = {MM_ANISOTROPIC, MulDiv(r - l, 2540, inch), MulDiv(b - t, 2540, inch), nullptr};
    emf_ = SetWinMetaFileBits((UINT)(size - 22), p + 22, nullptr, &mfp);
    if (emf_) {
      w_ = MulDiv(std::abs(r - l), ppi, inch);
      h_ = MulDiv(std::abs(b - t), ppi, inch);
    }
  } else if (size >= sizeof(ENHMETAHEADER) && key == EMR_HEADER) {
    ENHMETAHEADER eh;
    memcpy(&eh, p, sizeof eh);
    if (eh.dSignature != ENHMETA_SIGNATURE || eh.nBytes > size) return false;
    emf_ = SetEnhMetaFileBits((UINT)size, p);
  } else {
    WORD type, headerWords;
    memcpy(&type, p, 2);
    memcpy(&headerWords, p + 2, 2);
    if ((type != 1 && type != 2) || headerWords != 9) return false;
    emf_ = SetWinMetaFileBits((UINT)size, p, nullptr, nullptr);
  }
  if (!emf_) return false;
  if (!w_ || !h_) {
    ENHMETAHEADER eh = {};
    GetEnhMetaFileHeader(emf_, sizeof eh, &eh);
    w_ = MulDiv(eh.rclFrame.right - eh.rclFrame.left, ppi, 2540);
    h_ = MulDiv(eh.rclFrame.bottom - eh.rclFrame.top, ppi, 2540);
  }
  return true;
}

static std::string LowerExt(const std::string& path) {
  size_t dot = path.find_last_of('.');
  size_t slash = path.find_last_of("\\/");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string e = path.substr(dot);
  for (char& c : e)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return e;
}

TPicture::TPicture(const TPicture& o) : g_(o.g_ ? o.g_->Clone() : nullptr) {}

TPicture& TPicture::operator=(const TPicture& o) {
  if (this != &o) {
    g_ = o.g_ ? o.g_->Clone() : nullptr;
    Changed();
  }
  return *this;
}

void TPicture::Changed() {
  if (OnChange) OnChange();
}

void TPicture::Clear() {
  g_.reset();
  Changed();
}

void TPicture::Assign(const TGraphic* g) {
  g_ = g ? g->Clone() : nullptr;
  Changed();
}

TBitmap& TPicture::Bitmap() {
  TBitmap* b = dynamic_cast<TBitmap*>(g_.get());
  if (!b) {
    g_ = std::make_unique<TBitmap>();
    b = static_cast<TBitmap*>(g_.get());
  }
  return *b;
}

bool TPicture::LoadFromFile(const std::string& path) {
  std::vector<unsigned char> data;
  if (!ReadFileBytes(path, data)) {
    Clear();
    return false;
  }
  std::string ext = LowerExt(path);
  std::unique_ptr<TGraphic> g;
  bool ok = false;
  if (ext == ".bmp") {
    auto b = std::make_unique<TBitmap>();
    ok = b->LoadFromMemory(data.data(), data.size());
    g = std::move(b);
  } else if (ext == ".jpg" || ext == ".jpeg") {
    auto j = std::make_unique<TJPEGImage>();
    ok = j->LoadFromMemory(data.data(), data.size());
    g = std::move(j);
  } else if (ext == ".ico") {
    auto i = std::make_unique<TIcon>();
    ok = i->LoadFromMemory(data.data(), data.size());
    g = std::move(i);
  } else if (ext == ".wmf" || ext == ".emf") {
    auto m = std::make_unique<TMetafile>();
    ok = m->LoadFromMemory(data.data(), data.size());
    g = std::move(m);
  } else {
    return LoadFromMemory(data.data(), data.size());
  }
  g_ = ok ? std::move(g) : nullptr;
  Changed();
  return ok;
}

bool TPicture::LoadFromMemory(const void* data, size_t size) {
  const unsigned char* p = (const unsigned char*)data;
  std::unique_ptr<TGraphic> g;
  bool ok = false;
  if (p && size >= 2 && p[0] == 'B' && p[1] == 'M') {
    auto b = std::make_unique<TBitmap>();
    ok = b->LoadFromMemory(data, size);
    g = std::move(b);
  } else if (p && size >= 2 && p[0] == 0xFF && p[1] == 0xD8) {
    auto j = std::make_unique<TJPEGImage>();
    ok = j->LoadFromMemory(data, size);
    g = std::move(j);
  } else if (p && size >= 4 && p[0] == 0 && p[1] == 0 && (p[2] == 1 || p[2] == 2) && p[3] == 0) {
    auto i = std::make_unique<TIcon>();
    ok = i->LoadFromMemory(data, size);
    g = std::move(i);
  } else if (p) {
    auto m = std::make_unique<TMetafile>();
    ok = m->LoadFromMemory(data, size);
    g = std::move(m);
  }
  g_ = ok ? std::move(g) : nullptr;
  Changed();
  return ok;
}

BufferedPaint::BufferedPaint(HDC target, const RECT& rect)
    : target_(target), rect_(rect), mem_(target) {
  int w = std::max(1, (int)(rect.right - rect.left)), h = std::max(1, (int)(rect.bottom - rect.top));
  bmp_.reset(CreateCompatibleBitmap(target, w, h));
  selected_ = SelectObjectScope(mem_.get(), bmp_.get());
  SetWindowOrgEx(mem_.get(), rect.left, rect.top, &oldOrigin_);
}

BufferedPaint::~BufferedPaint() {
  BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top,
         mem_.get(), rect_.left, rect_.top, SRCCOPY);
  SetWindowOrgEx(mem_.get(), oldOrigin_.x, oldOrigin_.y, nullptr);
}
