// Windows bitmap files held in memory, checked before GDI reads them.
#pragma once
#include <cstddef>
#include <vector>

#include <windows.h>

struct TDibFile {
  // The info (or core) header and its colour table, copied whole, so that
  // GDI reads one aligned block that holds all of them.
  std::vector<unsigned char> Header;
  const unsigned char* Bits = nullptr;  // the pixel data, inside the bytes read
  int Width = 0;
  int Rows = 0;  // the header's height without its sign
  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(Header.data()); }
};

// True when the header, the colour table and the pixel data lie inside the
// bytes, in that order, for a depth and compression GDI takes (RLE4 and RLE8
// by their biSizeImage). A picture GDI could read past the bytes for is
// refused: an access violation there is no exception a guard catches.
bool ReadDibFile(const void* data, size_t size, TDibFile& out);
