#include "controls/L_Theme.h"

#include "shared/S_UxTheme.h"

void TTabSheetEx::SetParent(TWinControl* p) {
  TTabSheet::SetParent(p);
  if (p && ThemesInUse() && Color() != clWhite) SetColor(clWhite);
}
