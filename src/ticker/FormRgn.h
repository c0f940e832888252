// The skin picture that shapes its window: every pixel without the
// transparent colour belongs to the window, the rest is cut away.
#pragma once
#include <stdexcept>
#include <vector>

#include "classlib/Image.h"

// A failed region call; the message names it.
class ERegionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The opaque runs of the picture as one-pixel-high rectangles in picture
// coordinates, scanned as the window region is built: rows from 1 and
// columns from 1, so row 0 and column 0 never belong to the window.
std::vector<RECT> OpaqueRuns(TBitmap& picture, TColor transparent);

class TFormRgn : public TImage {
 public:
  TFormRgn();

  // The colour cut away; the picture is also drawn transparent with it.
  TColor TransparentColor = clFuchsia;

  // Computes the region from the picture, in the parent window's
  // coordinates. On an error the previous region stays and ERegionError
  // is raised.
  void BuildRegion();
  // Gives the parent window a copy of the region (nothing without one).
  void ApplyRegion();
  HRGN Region() const { return region_.get(); }

 protected:
  void Paint() override;

 private:
  RegionHandle region_;
};
