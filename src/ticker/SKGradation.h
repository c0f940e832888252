// A panel whose background is a colour gradient in bands, and the colour
// byte helpers. The news strip is one, with one-pixel rows top to bottom.
#pragma once
#include "classlib/Panel.h"

enum TDirection { dHorizontal, dVertical };

// After resolving system colours: index 0 the blue byte, 1 green, 2 red.
BYTE ColorComponent(int index, TColor color);
TColor MakeColor(BYTE red, BYTE green, BYTE blue);  // $00BBGGRR

// Bands from startColor to endColor. dHorizontal: rows from y = startY down
// to endPoint, each `extent` wide from x = startX; dVertical: columns from
// x = startX to endPoint, each `extent` high from y = startY.
void PaintGradation(TCanvas& canvas, TDirection direction, int startX, TColor endColor,
                    TColor startColor, int steps, int extent, int endPoint, int startY);

class TSKGradationP : public TPanel {
 public:
  TSKGradationP();

  bool AutoPointSet() const { return autoPointSet_; }
  void SetAutoPointSet(bool v);
  TColor StartColor() const { return startColor_; }
  void SetStartColor(TColor c);
  TColor EndColor() const { return endColor_; }
  void SetEndColor(TColor c);  // also the panel's Color
  int GradationStep() const { return gradationStep_; }
  void SetGradationStep(int n);
  int StartPoint() const { return startPoint_; }
  void SetStartPoint(int p);  // the current EndPoint stores 0
  int EndPoint() const { return endPoint_; }
  void SetEndPoint(int p);  // the current StartPoint stores the height
  int AutoPoint() const { return autoPoint_; }
  void SetAutoPoint(int p);
  TDirection Direction() const { return direction_; }
  void SetDirection(TDirection d);

  // After every paint, gradient or plain.
  TNotifyEvent OnPaint;
  // On the mouse leaving (OnMouseEnter comes with the control).
  TNotifyEvent OnMouseExit;

 protected:
  void Paint() override;
  void MouseLeave() override;

 private:
  void PaintCaptionCentred();
  bool autoPointSet_ = true;
  TColor startColor_ = 0xFF0000;
  TColor endColor_ = 0;
  int gradationStep_ = 200;
  int startPoint_ = 5;
  int endPoint_ = 260;
  int autoPoint_ = 5;
  TDirection direction_ = dHorizontal;
};
