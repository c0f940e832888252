// Picture files made in memory for the tests.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// A 24-bit bottom-up BMP file; pixel(x, y) gives each pixel's colour, row 0
// the bottom one.
std::string BmpBytes(int w, int h, const std::function<COLORREF(int x, int y)>& pixel);
// A 24-bit BMP file of one colour.
std::string BmpBytes(int w, int h, COLORREF colour);
// A JPEG file of one colour, made by libjpeg (75 is its default quality).
std::string JpegBytes(int w, int h, COLORREF colour, int quality = 75);
