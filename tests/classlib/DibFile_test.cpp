#include "classlib/DibFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "classlib/Graphics.h"

namespace {

void Put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// An 8-bit bottom-up picture: the headers, `stored` colours (colour i is
// grey i), then the pixel bytes; the header claims clrUsed colours.
std::string Bmp8(int w, int h, DWORD compression, DWORD clrUsed, int stored,
                 const std::string& pixels, DWORD sizeImage = 0) {
  std::string b(54 + 4 * stored, '\0');
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, 54 + 4 * stored);
  Put32(b, 14, 40);
  Put32(b, 18, w);
  Put32(b, 22, h);
  b[26] = 1;
  b[28] = 8;
  Put32(b, 30, compression);
  Put32(b, 34, sizeImage);
  Put32(b, 46, clrUsed);
  for (int i = 0; i < stored; ++i) b[54 + 4 * i] = b[55 + 4 * i] = b[56 + 4 * i] = char(i);
  b += pixels;
  Put32(b, 2, uint32_t(b.size()));
  return b;
}

bool Loads(const std::string& bytes) {
  TBitmap bitmap;
  return bitmap.LoadFromMemory(bytes.data(), bytes.size());
}

TEST(DibFile, AWholeEightBitPictureLoadsWithItsColours) {
  const std::string bytes = Bmp8(4, 2, BI_RGB, 0, 256, std::string(4, '\x10') + std::string(4, '\x80'));
  TDibFile dib;
  ASSERT_TRUE(ReadDibFile(bytes.data(), bytes.size(), dib));
  EXPECT_EQ(40u + 1024u, dib.Header.size());
  EXPECT_EQ(4, dib.Width);
  EXPECT_EQ(2, dib.Rows);
  TBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromMemory(bytes.data(), bytes.size()));
  EXPECT_EQ(RGB(0x80, 0x80, 0x80), GetPixel(bitmap.Canvas().Handle(), 0, 0));
  EXPECT_EQ(RGB(0x10, 0x10, 0x10), GetPixel(bitmap.Canvas().Handle(), 3, 1));
}

TEST(DibFile, PicturesGdiWouldReadPastAreRefused) {
  const std::string rows(8, '\x01');
  // Cut before its colour table: the pixels follow the header at once.
  EXPECT_FALSE(Loads(Bmp8(4, 2, BI_RGB, 0, 0, rows)));
  // 200 colours claimed, 16 held.
  EXPECT_FALSE(Loads(Bmp8(4, 2, BI_RGB, 200, 16, rows)));
  EXPECT_TRUE(Loads(Bmp8(4, 2, BI_RGB, 16, 16, rows)));
  // Pixel rows cut short.
  EXPECT_FALSE(Loads(Bmp8(4, 2, BI_RGB, 0, 256, rows.substr(0, 7))));
}

TEST(DibFile, CompressedDataMustHoldWhatItsHeaderClaims) {
  // Two rows of four pixels of colour 5, then the end of the picture.
  const std::string rle("\x04\x05\x00\x00\x04\x05\x00\x01", 8);
  EXPECT_TRUE(Loads(Bmp8(4, 2, BI_RLE8, 0, 256, rle, 8)));
  EXPECT_FALSE(Loads(Bmp8(4, 2, BI_RLE8, 0, 256, rle, 4096)));
  EXPECT_FALSE(Loads(Bmp8(4, 2, BI_RLE8, 0, 256, rle, 0)));
  // A top-down compressed picture does not exist.
  EXPECT_FALSE(Loads(Bmp8(4, -2, BI_RLE8, 0, 256, rle, 8)));
}

}  // namespace
