// A painted picture.
#pragma once
#include "Controls.h"

struct TImageValues : TControlValues {
  std::optional<bool> Stretch;
  std::optional<bool> Center;
  std::optional<bool> Transparent;
  std::optional<bool> Proportional;
  std::optional<bool> AutoSize;
};

template <class Self, class V = TImageValues>
struct TImageArgsOf : TControlArgsOf<Self, V> {
  CREATE_ARG(Stretch)
  CREATE_ARG(Center)
  CREATE_ARG(Transparent)
  CREATE_ARG(Proportional)
  CREATE_ARG(AutoSize)
};
struct TImageArgs : TImageArgsOf<TImageArgs> {};

class TImage : public TGraphicControl {
 public:
  TImage();
  void Create(const TImageValues& v);
  TPicture& Picture() { return picture_; }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  bool Center() const { return center_; }
  void SetCenter(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  bool Proportional() const { return proportional_; }
  void SetProportional(bool v);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  // Where the picture is drawn, in control coordinates.
  RECT DestRect() const;

 protected:
  void Paint() override;
  void PictureChanged();
  TPicture picture_;
  bool stretch_ = false, center_ = false, transparent_ = false, proportional_ = false,
       autoSize_ = false;
};
