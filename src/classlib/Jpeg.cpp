// JPEG pictures through libjpeg.
#include <csetjmp>
#include <cstdio>

#include "Graphics.h"

extern "C" {
#include <jpeglib.h>
}

namespace {

struct JpegError {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

void JpegErrorExit(j_common_ptr c) { longjmp(((JpegError*)c->err)->jump, 1); }
void JpegQuiet(j_common_ptr, int) {}

// No object with a destructor lives in this frame: the error path longjmps.
bool Decode(const unsigned char* data, unsigned long size, TBitmap& out) {
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegErrorExit;
  err.pub.emit_message = JpegQuiet;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, size);
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&cinfo);
  int w = (int)cinfo.output_width, h = (int)cinfo.output_height;
  out.SetSize(w, h);
  if (out.Empty()) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  int comps = cinfo.output_components;
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)((j_common_ptr)&cinfo, JPOOL_IMAGE, (JDIMENSION)(w * comps), 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    int y = (int)cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, row, 1) != 1) break;
    unsigned char* dst = out.Bits() + (size_t)out.Stride() * y;
    const unsigned char* src = row[0];
    for (int x = 0; x < w; ++x, src += comps, dst += 3) {
      if (cmyk) {  // Adobe writes CMYK inverted
        int k = src[3];
        dst[0] = (unsigned char)(src[2] * k / 255);
        dst[1] = (unsigned char)(src[1] * k / 255);
        dst[2] = (unsigned char)(src[0] * k / 255);
      } else if (comps >= 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
      } else {
        dst[0] = dst[1] = dst[2] = src[0];
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

bool TJPEGImage::LoadFromMemory(const void* data, size_t size) {
  Clear();
  if (!data || size < 4) return false;
  if (!Decode((const unsigned char*)data, (unsigned long)size, *this)) {
    Clear();
    return false;
  }
  return true;
}

bool TJPEGImage::LoadFromFile(const std::string& path) {
  std::vector<unsigned char> data;
  if (!ReadFileBytes(path, data)) {
    Clear();
    return false;
  }
  return LoadFromMemory(data.data(), data.size());
}

std::unique_ptr<TGraphic> TJPEGImage::Clone() const { return std::make_unique<TJPEGImage>(*this); }
