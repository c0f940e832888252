#include "L_CtlSize.h"

#include <algorithm>
#include <memory>

#include "L_Sizeing.h"
#include "classlib/Guard.h"
#include "classlib/Screen.h"
#include "shared/S_IniFile.h"

namespace {

bool SizeableBorder(const TForm& form) {
  return form.BorderStyle() == bsSizeable || form.BorderStyle() == bsSizeToolWin;
}

}  // namespace

TControlSize::TControlSize(TForm* owner) {
  if (owner) ChainInto(*owner);
}

TControlSize::~TControlSize() {
  if (alive_) *alive_ = false;
  if (control_) control_->RemoveFreeNotification(this);
}

void TControlSize::SetControl(TWinControl* c) {
  if (control_) control_->RemoveFreeNotification(this);
  control_ = c;
  if (c) c->AddFreeNotification(this, [this] { control_ = nullptr; });
}

void TControlSize::ChainInto(TForm& owner) {
  alive_ = std::make_shared<bool>(true);
  std::shared_ptr<bool> alive = alive_;
  TNotifyEvent create = owner.OnCreate, show = owner.OnShow, destroy = owner.OnDestroy;
  auto close = owner.OnClose;
  owner.OnCreate = [this, alive, create](TObject* s) {
    if (create) create(s);
    if (*alive && !SizeOnShow) Started();
  };
  owner.OnShow = [this, alive, show](TObject* s) {
    if (*alive && SizeOnShow) Started();
    if (show) show(s);
  };
  owner.OnClose = [this, alive, close](TObject* s, TCloseAction& action) {
    if (close) close(s, action);
    if (*alive && (action == caHide || action == caFree) && !Manual) Save();
  };
  owner.OnDestroy = [this, alive, destroy](TObject* s) {
    if (*alive) {
      if (OnDestroy) OnDestroy(this);
      Save();
    }
    if (destroy) destroy(s);
  };
}

void TControlSize::Started() {
  if (OnCreate) OnCreate(this);
  if (!Manual) Load("R");
  if (OnStart) OnStart(this);
}

void TControlSize::Load(const std::string& mode) {
  if (IniFile.empty()) return;
  // An unreadable file leaves the geometry as it is.
  Guard("load sizes", [&] {
    if (section_.empty() && control_) {
      section_ = "Sz_" + control_->Name;
      if (ScreenSenter && dynamic_cast<TForm*>(control_)) {
        POINT p = CentreOnWorkArea(control_->Width(), control_->Height(),
                                   WindowWorkArea(control_->HandleIfAllocated()));
        control_->SetBounds(p.x, p.y, control_->Width(), control_->Height());
      }
    }
    if (section_.empty()) return;
    std::unique_ptr<TCustomIniFile> ini = OpenIniFile(IniFile);
    if (control_) {
      if (auto* form = dynamic_cast<TForm*>(control_))
        LoadForm(*form, *ini, mode);
      else
        LoadControl(*control_, *ini);
    }
    LoadSlots(*ini);
  });
}

void TControlSize::LoadForm(TForm& form, TCustomIniFile& ini, const std::string& mode) {
  if (Style == cssVisible) return;
  const std::string& s = section_;
  HWND h = form.HandleIfAllocated();
  // A damaged file's width of 0 would hide the window for good (each close
  // stores it again): a size below the window's least keeps the current one.
  const SIZE least = LeastWindowSize(h);
  int width = ini.ReadInteger(s, "szWidth", form.Width());
  int height = ini.ReadInteger(s, "szHeight", form.Height());
  if (width < least.cx) width = form.Width();
  if (height < least.cy) height = form.Height();
  RECT r = Bounds(ini.ReadInteger(s, "szLeft", form.Left()),
                  ini.ReadInteger(s, "szTop", form.Top()), width, height);
  r = ClampToDesktop(r, Screen.DesktopRect());
  const bool zoomed = h && IsZoomed(h);
  const bool maximized = ini.ReadInteger(s, "szWindowState", zoomed ? 1 : 0) != 0;
  if (mode == "N" || SizeableBorder(form))
    form.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  else
    form.SetBounds(r.left, r.top, form.Width(), form.Height());
  // A hidden form keeps its state: showing it here would be a surprise.
  if (h && IsWindowVisible(h) && maximized != zoomed)
    ShowWindow(h, maximized ? SW_MAXIMIZE : SW_RESTORE);
}

void TControlSize::LoadControl(TWinControl& control, TCustomIniFile& ini) {
  const std::string& s = section_;
  if (Style == cssAll || Style == cssVisible)
    control.SetVisible(ini.ReadBool(s, "szVisible", control.Visible()));
  if (Style == cssVisible) return;
  int l = ini.ReadInteger(s, "szLeft", control.Left());
  int t = ini.ReadInteger(s, "szTop", control.Top());
  int w = ini.ReadInteger(s, "szWidth", control.Width());
  int h = ini.ReadInteger(s, "szHeight", control.Height());
  if (TWinControl* parent = control.Parent()) {
    w = std::min(w, parent->ClientWidth());
    h = std::min(h, parent->ClientHeight());
  }
  control.SetBounds(l, t, w, h);
}

// A slot's name is read from its key, and so is its value: the key holds
// the value once it has been saved.
void TControlSize::LoadSlots(TCustomIniFile& ini) {
  for (int i = 0; i < 6; ++i) {
    const std::string flagKey = "EnvBool_" + std::to_string(i);
    Flags[i].Name = ini.ReadString(section_, flagKey, Flags[i].Name);
    if (!Flags[i].Name.empty()) Flags[i].Value = ini.ReadBool(section_, flagKey, Flags[i].Value);
    const std::string numberKey = "EnvInt_" + std::to_string(i);
    Numbers[i].Name = ini.ReadString(section_, numberKey, Numbers[i].Name);
    if (!Numbers[i].Name.empty())
      Numbers[i].Value = ini.ReadInteger(section_, numberKey, Numbers[i].Value);
  }
}

void TControlSize::SaveSlots(TCustomIniFile& ini) {
  for (int i = 0; i < 6; ++i) {
    const std::string flagKey = "EnvBool_" + std::to_string(i);
    if (!Flags[i].Name.empty()) {
      ini.WriteString(section_, flagKey, Flags[i].Name);
      ini.WriteBool(section_, flagKey, Flags[i].Value);
    }
    const std::string numberKey = "EnvInt_" + std::to_string(i);
    if (!Numbers[i].Name.empty()) {
      ini.WriteString(section_, numberKey, Numbers[i].Name);
      ini.WriteInteger(section_, numberKey, Numbers[i].Value);
    }
  }
}

void TControlSize::WriteRect(TCustomIniFile& ini, const RECT& r) {
  ini.WriteInteger(section_, "szLeft", r.left);
  ini.WriteInteger(section_, "szTop", r.top);
  ini.WriteInteger(section_, "szWidth", r.right - r.left);
  ini.WriteInteger(section_, "szHeight", r.bottom - r.top);
}

void TControlSize::Save() {
  if (IniFile.empty() || section_.empty()) return;
  // The next save tries again; the window goes on either way.
  Guard("save sizes", [&] {
    std::unique_ptr<TCustomIniFile> ini = OpenIniFile(IniFile);
    const std::string& s = section_;
    if (control_) {
      ini->EraseSection(s);
      if (auto* form = dynamic_cast<TForm*>(control_)) {
        if (Style != cssVisible) {
          HWND h = form->HandleIfAllocated();
          ini->WriteInteger(s, "szWindowState", h && IsZoomed(h) ? 1 : 0);
          WriteRect(*ini, h ? NormalWindowRect(h) : form->BoundsRect());
        }
      } else {
        if (Style != cssSize) ini->WriteBool(s, "szVisible", control_->Visible());
        if (Style != cssVisible) {
          WriteRect(*ini, control_->BoundsRect());
          ini->WriteBool(s, "szVisible", control_->Visible());
        }
      }
    }
    SaveSlots(*ini);
    SaveIniFile(*ini);
  });
}
