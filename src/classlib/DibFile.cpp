#include "DibFile.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int kMaxSide = 32768;

bool DepthTaken(DWORD compression, int bits, int64_t height) {
  switch (compression) {
    case BI_RGB:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case BI_BITFIELDS:
      return bits == 16 || bits == 32;
    // Compressed pictures are bottom-up only.
    case BI_RLE8:
      return bits == 8 && height > 0;
    case BI_RLE4:
      return bits == 4 && height > 0;
    default:
      return false;
  }
}

}  // namespace

bool ReadDibFile(const void* data, size_t size, TDibFile& out) {
  out = TDibFile();
  const unsigned char* p = static_cast<const unsigned char*>(data);
  if (!p || size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPCOREHEADER)) return false;
  BITMAPFILEHEADER file;
  memcpy(&file, p, sizeof file);
  if (file.bfType != 0x4D42) return false;
  DWORD headerSize;
  memcpy(&headerSize, p + sizeof file, sizeof headerSize);
  int64_t width, height;
  int bits, planes;
  DWORD compression = BI_RGB, imageSize = 0;
  uint64_t colours, tableEnd = sizeof file + uint64_t(headerSize);
  if (headerSize == sizeof(BITMAPCOREHEADER)) {
    BITMAPCOREHEADER core;
    memcpy(&core, p + sizeof file, sizeof core);
    width = core.bcWidth;
    height = core.bcHeight;
    bits = core.bcBitCount;
    planes = core.bcPlanes;
    colours = bits <= 8 ? 1u << bits : 0;
    tableEnd += colours * sizeof(RGBTRIPLE);
  } else if (headerSize >= sizeof(BITMAPINFOHEADER) && tableEnd <= size) {
    BITMAPINFOHEADER info;
    memcpy(&info, p + sizeof file, sizeof info);
    width = info.biWidth;
    height = info.biHeight;
    bits = info.biBitCount;
    planes = info.biPlanes;
    compression = info.biCompression;
    imageSize = info.biSizeImage;
    // The three masks follow a plain info header.
    if (compression == BI_BITFIELDS && headerSize == sizeof(BITMAPINFOHEADER))
      tableEnd += 3 * sizeof(DWORD);
    colours = info.biClrUsed ? info.biClrUsed : bits <= 8 ? 1u << bits : 0;
    tableEnd += colours * sizeof(RGBQUAD);
  } else {
    return false;
  }
  const int64_t rows = height < 0 ? -height : height;
  if (planes != 1 || width <= 0 || rows == 0 || width > kMaxSide || rows > kMaxSide ||
      !DepthTaken(compression, bits, height))
    return false;
  if (tableEnd > file.bfOffBits || file.bfOffBits >= size) return false;
  uint64_t pixelBytes = imageSize;
  if (compression == BI_RGB || compression == BI_BITFIELDS)
    pixelBytes = (uint64_t(width) * bits + 31) / 32 * 4 * uint64_t(rows);
  if (pixelBytes == 0 || file.bfOffBits + pixelBytes > size) return false;
  out.Header.assign(p + sizeof file, p + tableEnd);
  out.Bits = p + file.bfOffBits;
  out.Width = int(width);
  out.Rows = int(rows);
  return true;
}
