// Colours, fonts, canvas and pictures over GDI. Texts are Shift-JIS bytes.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "Handles.h"

// $00BBGGRR; a set top bit means a system colour (0x80000000 | COLOR_x).
typedef int TColor;

const TColor clNone = 0x1FFFFFFF;
const TColor clDefault = 0x20000000;
const TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
             clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
             clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
             clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
const TColor clScrollBar = (TColor)(0x80000000 | COLOR_SCROLLBAR);
const TColor clBackground = (TColor)(0x80000000 | COLOR_BACKGROUND);
const TColor clActiveCaption = (TColor)(0x80000000 | COLOR_ACTIVECAPTION);
const TColor clMenu = (TColor)(0x80000000 | COLOR_MENU);
const TColor clWindow = (TColor)(0x80000000 | COLOR_WINDOW);
const TColor clWindowFrame = (TColor)(0x80000000 | COLOR_WINDOWFRAME);
const TColor clMenuText = (TColor)(0x80000000 | COLOR_MENUTEXT);
const TColor clWindowText = (TColor)(0x80000000 | COLOR_WINDOWTEXT);
const TColor clCaptionText = (TColor)(0x80000000 | COLOR_CAPTIONTEXT);
const TColor clHighlight = (TColor)(0x80000000 | COLOR_HIGHLIGHT);
const TColor clHighlightText = (TColor)(0x80000000 | COLOR_HIGHLIGHTTEXT);
const TColor clBtnFace = (TColor)(0x80000000 | COLOR_BTNFACE);
const TColor clBtnShadow = (TColor)(0x80000000 | COLOR_BTNSHADOW);
const TColor clGrayText = (TColor)(0x80000000 | COLOR_GRAYTEXT);
const TColor clBtnText = (TColor)(0x80000000 | COLOR_BTNTEXT);
const TColor clBtnHighlight = (TColor)(0x80000000 | COLOR_BTNHIGHLIGHT);
const TColor cl3DDkShadow = (TColor)(0x80000000 | COLOR_3DDKSHADOW);
const TColor cl3DLight = (TColor)(0x80000000 | COLOR_3DLIGHT);
const TColor clInfoText = (TColor)(0x80000000 | COLOR_INFOTEXT);
const TColor clInfoBk = (TColor)(0x80000000 | COLOR_INFOBK);

// System colours resolved through GetSysColor; clNone/clDefault give black.
COLORREF ColorToRGB(TColor c);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
typedef unsigned TFontStyles;  // or-ed TFontStyle values

// Face name the system means by "Default" (and the default of every control).
extern const char* const DefaultFontName;  // "ＭＳ Ｐゴシック"

// A face name to the one GDI should be given: "Default" becomes the default
// face, and a face missing for the charset (no such font under Wine) becomes
// an installed Japanese face (IPAPGothic, IPAGothic for fixed-pitch names).
std::wstring ResolveFaceName(const std::string& name, BYTE charset);

class TFont {
 public:
  TFont();  // DefaultFontName, height -12 (9 pt), Shift-JIS charset, clWindowText
  TFont(const TFont& o);
  TFont& operator=(const TFont& o);  // Assign, fires OnChange

  void Assign(const TFont& o) { *this = o; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& n);
  int Size() const;  // points, at the screen's pixels per inch
  void SetSize(int points);
  int Height() const { return height_; }  // negative: character height in pixels
  void SetHeight(int h);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles s);
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE c);

  // A shared, cached font; valid while this TFont is unchanged and alive.
  HFONT Handle() const;
  bool operator==(const TFont& o) const;

  std::function<void()> OnChange;

 private:
  void Changed();
  std::string name_;
  int height_;
  TFontStyles style_ = 0;
  TColor color_;
  BYTE charset_;
  mutable std::shared_ptr<FontHandle> handle_;
};

enum TBrushStyle { bsSolid, bsClear };
class TBrush {
 public:
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
  HBRUSH Pattern = nullptr;  // when set, used instead of Color (not owned)
};

enum TPenStyle { psSolid, psDash, psDot, psClear };
class TPen {
 public:
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = psSolid;
};

class TGraphic;

// Drawing on an HDC the canvas does not own. Brush, Pen and Font are applied
// to the DC before each drawing call; the DC's own objects come back when the
// canvas lets go of it.
class TCanvas {
 public:
  explicit TCanvas(HDC dc = nullptr);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  HDC Handle() const { return dc_; }
  void SetHandle(HDC dc);

  TFont Font;
  TBrush Brush;
  TPen Pen;

  void TextOut(int x, int y, const std::string& text);
  void TextRect(const RECT& r, int x, int y, const std::string& text);  // clipped
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  // DrawTextW with the text converted; returns the height; r updated by DT_CALCRECT.
  int DrawText(const std::string& text, RECT& r, UINT flags);
  // The etched look of a disabled caption: a highlight copy one pixel down
  // and right under a shadow copy; the font colour is left at the shadow.
  void DrawDisabledText(const std::string& text, RECT& r, UINT flags);
  void FillRect(const RECT& r);
  void FrameRect(const RECT& r);  // brush colour
  void Rectangle(int l, int t, int r, int b);
  void Rectangle(const RECT& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
  // Corners rounded by ellipses of cornerWidth x cornerHeight.
  void RoundRect(int l, int t, int r, int b, int cornerWidth, int cornerHeight);
  void Ellipse(int l, int t, int r, int b);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(const std::vector<POINT>& pts);
  void Draw(int x, int y, const TGraphic& g);
  void StretchDraw(const RECT& r, const TGraphic& g);
  void CopyRect(const RECT& dest, const TCanvas& src, const RECT& source);
  // Top-to-bottom (vertical) or left-to-right gradient from `from` to `to`.
  void GradientFill(const RECT& r, TColor from, TColor to, bool vertical);
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor c);

  // Applies the font (handle and colour) to the DC now; the painters that call
  // GDI directly use it.
  void ApplyFont();
  void ApplyBrush();
  void ApplyPen();

 private:
  void Restore();
  HDC dc_ = nullptr;
  HGDIOBJ oldFont_ = nullptr, oldBrush_ = nullptr, oldPen_ = nullptr;
  BrushHandle brush_;
  PenHandle pen_;
};

class TGraphic {
 public:
  virtual ~TGraphic() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const = 0;
  virtual void Draw(HDC dc, const RECT& r) const = 0;  // stretched into r
  virtual std::unique_ptr<TGraphic> Clone() const = 0;
  bool Transparent = false;
};

enum TTransparentMode { tmAuto, tmFixed };

// A 24-bit DIB section. An empty bitmap has no handle.
class TBitmap : public TGraphic {
 public:
  TBitmap() = default;
  TBitmap(int w, int h) { SetSize(w, h); }
  TBitmap(const TBitmap& o);
  TBitmap& operator=(const TBitmap& o);

  int Width() const override { return w_; }
  int Height() const override { return h_; }
  bool Empty() const override { return !bmp_; }
  void Draw(HDC dc, const RECT& r) const override;
  std::unique_ptr<TGraphic> Clone() const override;
  // Draws the part src of the bitmap into dest (transparent when Transparent).
  void DrawPart(HDC dc, const RECT& dest, const RECT& src) const;

  void SetSize(int w, int h);  // contents become white
  HBITMAP Handle() const { return bmp_.get(); }
  void Assign(HBITMAP source);  // copies a bitmap the caller keeps
  // A DC with the bitmap selected, for drawing into it (Canvas()). Lives as
  // long as the bitmap.
  TCanvas& Canvas();

  // Returns false (and leaves the bitmap empty) when the data is no BMP.
  bool LoadFromFile(const std::string& path);
  bool LoadFromMemory(const void* data, size_t size);
  void Clear();

  // Transparency for Draw: tmAuto takes the bottom-left pixel's colour.
  TTransparentMode TransparentMode = tmAuto;
  TColor TransparentColor = clDefault;
  TColor EffectiveTransparentColor() const;
  // 24-bit top-down pixels (BGR), for decoders filling the bitmap.
  unsigned char* Bits() { return bits_; }
  int Stride() const { return (w_ * 3 + 3) & ~3; }

 private:
  void CloseCanvas();
  BitmapHandle bmp_;
  unsigned char* bits_ = nullptr;
  int w_ = 0, h_ = 0;
  std::unique_ptr<MemoryDC> dc_;
  std::unique_ptr<SelectObjectScope> selected_;
  std::unique_ptr<TCanvas> canvas_;
};

class TIcon : public TGraphic {
 public:
  TIcon() = default;
  ~TIcon() override;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;
  int Width() const override { return w_; }
  int Height() const override { return h_; }
  bool Empty() const override { return !icon_; }
  void Draw(HDC dc, const RECT& r) const override;
  std::unique_ptr<TGraphic> Clone() const override;
  HICON Handle() const { return icon_.get(); }
  void SetHandle(HICON icon);  // takes ownership (a copy is made of shared icons)
  bool LoadFromFile(const std::string& path);
  bool LoadFromMemory(const void* data, size_t size);  // .ico data, first image

 private:
  IconHandle icon_;
  int w_ = 0, h_ = 0;
};

class TMetafile : public TGraphic {
 public:
  TMetafile() = default;
  ~TMetafile() override;
  TMetafile(const TMetafile&) = delete;
  TMetafile& operator=(const TMetafile&) = delete;
  int Width() const override { return w_; }
  int Height() const override { return h_; }
  bool Empty() const override { return !emf_; }
  void Draw(HDC dc, const RECT& r) const override;
  std::unique_ptr<TGraphic> Clone() const override;
  bool LoadFromFile(const std::string& path);  // .emf, or .wmf (placeable or plain)
  bool LoadFromMemory(const void* data, size_t size);
  HENHMETAFILE Handle() const { return emf_; }

 private:
  HENHMETAFILE emf_ = nullptr;
  int w_ = 0, h_ = 0;
};

// JPEG data decoded by libjpeg into a bitmap.
class TJPEGImage : public TBitmap {
 public:
  bool LoadFromFile(const std::string& path);
  bool LoadFromMemory(const void* data, size_t size);
  std::unique_ptr<TGraphic> Clone() const override;
};

// A picture of any of the kinds above, chosen by the file's extension (and by
// the data for memory loads). A missing or broken file gives an empty picture.
class TPicture {
 public:
  TPicture() = default;
  TPicture(const TPicture& o);
  TPicture& operator=(const TPicture& o);

  bool LoadFromFile(const std::string& path);  // false: picture is now empty
  bool LoadFromMemory(const void* data, size_t size);  // BMP, JPEG, ICO, EMF by signature
  void Assign(const TGraphic* g);                      // copy; nullptr clears
  void Clear();

  TGraphic* Graphic() const { return g_.get(); }
  // The picture as a bitmap; a non-bitmap picture is replaced by an empty bitmap.
  TBitmap& Bitmap();
  bool Empty() const { return !g_ || g_->Empty(); }
  int Width() const { return g_ ? g_->Width() : 0; }
  int Height() const { return g_ ? g_->Height() : 0; }

  std::function<void()> OnChange;

 private:
  void Changed();
  std::unique_ptr<TGraphic> g_;
};

// Paints through a memory bitmap the size of rect and copies it to dc at the end.
class BufferedPaint {
 public:
  BufferedPaint(HDC target, const RECT& rect);
  ~BufferedPaint();
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;
  HDC dc() const { return mem_.get(); }

 private:
  HDC target_;
  RECT rect_;
  MemoryDC mem_;
  BitmapHandle bmp_;
  SelectObjectScope selected_{nullptr, nullptr};
  POINT oldOrigin_{};
};

// A 3-D frame of the given width inside r; r shrinks by it.
void Frame3D(TCanvas& c, RECT& r, TColor topLeft, TColor bottomRight, int width);

// The whole file (read through the W API); false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::vector<unsigned char>& out);

// Helpers for rectangles.
inline RECT Rect(int l, int t, int r, int b) {
  RECT rc = {l, t, r, b};
  return rc;
}
inline RECT Bounds(int l, int t, int w, int h) { return Rect(l, t, l + w, t + h); }
