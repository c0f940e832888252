#include "common/TestImages.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

std::string BmpBytes(int w, int h, const std::function<COLORREF(int x, int y)>& pixel) {
  const int stride = (w * 3 + 3) & ~3;
  const int size = 54 + stride * h;
  std::string b(size, '\0');
  auto put32 = [&](int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (char)((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, w);
  put32(22, h);
  b[26] = 1;
  b[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF colour = pixel(x, y);
      int at = 54 + y * stride + x * 3;
      b[at] = (char)GetBValue(colour);
      b[at + 1] = (char)GetGValue(colour);
      b[at + 2] = (char)GetRValue(colour);
    }
  return b;
}

std::string BmpBytes(int w, int h, COLORREF colour) {
  return BmpBytes(w, h, [colour](int, int) { return colour; });
}

std::string JpegBytes(int w, int h, COLORREF colour, int quality) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = w;
  c.image_height = h;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(w * 3);
  for (int x = 0; x < w; ++x) {
    row[x * 3] = GetRValue(colour);
    row[x * 3 + 1] = GetGValue(colour);
    row[x * 3 + 2] = GetBValue(colour);
  }
  while (c.next_scanline < c.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::string bytes((const char*)out, size);
  jpeg_destroy_compress(&c);
  free(out);
  return bytes;
}
