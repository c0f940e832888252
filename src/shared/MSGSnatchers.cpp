#include "shared/MSGSnatchers.h"

#include <map>

namespace {

std::map<const TControl*, TCustomMessageSnatcher*>& SnatcherMap() {
  static std::map<const TControl*, TCustomMessageSnatcher*> map;
  return map;
}

const char kHookTag = 0;

}  // namespace

TCustomMessageSnatcher* SnatcherOf(const TControl* control) {
  auto& map = SnatcherMap();
  auto it = map.find(control);
  return it == map.end() ? nullptr : it->second;
}

TLinkedComponent::~TLinkedComponent() { Unlink(); }

void TLinkedComponent::LinkTo(TLinkedComponent* other) {
  Unlink();
  if (!other || other == this) return;
  next_ = other;
  previous_ = other->previous_;
  if (previous_) previous_->next_ = this;
  other->previous_ = this;
  Linked(next_, previous_);
}

void TLinkedComponent::Unlink() {
  Unlinking(next_, previous_);
  if (next_) next_->previous_ = previous_;
  if (previous_) previous_->next_ = next_;
  next_ = previous_ = nullptr;
}

// The hook reference stays callable after its snatcher let go of it: a window
// procedure installed later by someone else may still call it, and then it
// passes straight on to what the snatcher used to pass on to.
struct TCustomMessageSnatcher::HookRelay {
  TCustomMessageSnatcher* owner = nullptr;
  TWndMethod passOn;
  void Dispatch(TMessage& m) {
    if (owner) {
      owner->HookWndProc(m);
    } else {
      TWndMethod next = passOn;
      next(m);
    }
  }
};

TCustomMessageSnatcher::TCustomMessageSnatcher() : relay_(std::make_shared<HookRelay>()) {
  relay_->owner = this;
}

TCustomMessageSnatcher::~TCustomMessageSnatcher() { SetControl(nullptr); }

TWndMethod TCustomMessageSnatcher::HookMethod() const {
  TWndMethod m;
  std::shared_ptr<HookRelay> relay = relay_;
  m.Call = [relay](TMessage& msg) {
    // The control may replace its WindowProc (this very function) meanwhile.
    std::shared_ptr<HookRelay> keep = relay;
    keep->Dispatch(msg);
  };
  m.Object = relay_.get();
  m.Tag = &kHookTag;
  return m;
}

void TCustomMessageSnatcher::SetControl(TControl* control) {
  if (control_) Unlink();
  if (!control) return;
  if (TCustomMessageSnatcher* outer = SnatcherOf(control)) {
    LinkTo(outer);
  } else {
    control_ = control;
    Linked(nullptr, nullptr);
  }
}

void TCustomMessageSnatcher::Linked(TLinkedComponent* next, TLinkedComponent* previous) {
  auto* n = dynamic_cast<TCustomMessageSnatcher*>(next);
  auto* p = dynamic_cast<TCustomMessageSnatcher*>(previous);
  if (n)
    control_ = n->control_;
  else if (p)
    control_ = p->control_;
  if (!control_) return;
  Hooked(control_);
  control_->AddFreeNotification(this, [this] {
    controlFreeing_ = true;
    SetControl(nullptr);
    controlFreeing_ = false;
  });
  previousWindowProc_ = n ? n->HookMethod() : control_->WindowProc;
  if (p) {
    p->previousWindowProc_ = HookMethod();
  } else {
    control_->WindowProc = HookMethod();
    SnatcherMap()[control_] = this;
  }
}

void TCustomMessageSnatcher::Unlinking(TLinkedComponent* next, TLinkedComponent* previous) {
  if (!control_) return;
  auto* n = dynamic_cast<TCustomMessageSnatcher*>(next);
  auto* p = dynamic_cast<TCustomMessageSnatcher*>(previous);
  if (control_->WindowProc == HookMethod())
    control_->WindowProc = n ? n->HookMethod() : previousWindowProc_;
  if (p) p->previousWindowProc_ = previousWindowProc_;
  auto& map = SnatcherMap();
  auto it = map.find(control_);
  if (it != map.end() && it->second == this) {
    map.erase(it);
    if (n) map[control_] = n;
  }
  // Whoever still holds the old hook reference now reaches the next procedure.
  relay_->passOn = previousWindowProc_;
  relay_->owner = nullptr;
  relay_ = std::make_shared<HookRelay>();
  relay_->owner = this;
  previousWindowProc_ = TWndMethod();
  TControl* control = control_;
  Unhooked(control);
  // The control is calling its notifications right now; it drops them itself.
  if (!controlFreeing_) control->RemoveFreeNotification(this);
  control_ = nullptr;
}

void TCustomMessageSnatcher::HookWndProc(TMessage& message) {
  bool handled = false;
  HandleMessage(message, handled);
  if (!handled && OnMessage) GuardEvent("OnMessage", [&] { OnMessage(this, message, handled); });
  if (!handled && previousWindowProc_) {
    TWndMethod next = previousWindowProc_;
    next(message);
  }
}

TCustomWinMessageSnatcher::~TCustomWinMessageSnatcher() { SetControl(nullptr); }

void TCustomWinMessageSnatcher::Hooked(TControl* control) {
  TCustomMessageSnatcher::Hooked(control);
  AttachHandle();
}

void TCustomWinMessageSnatcher::Unhooked(TControl* control) {
  DetachHandle();
  TCustomMessageSnatcher::Unhooked(control);
}

void TCustomWinMessageSnatcher::AttachHandle() {
  if (registered_) return;
  auto* wc = dynamic_cast<TWinControl*>(Control());
  if (!wc) return;
  HWND h = wc->Handle();
  if (!h) return;
  RegisterTarget(h);
  registeredHandle_ = h;
  registered_ = true;
}

void TCustomWinMessageSnatcher::DetachHandle() {
  if (!registered_) return;
  RevokeTarget(registeredHandle_);
  registeredHandle_ = nullptr;
  registered_ = false;
}

void TCustomWinMessageSnatcher::HookWndProc(TMessage& message) {
  if (message.Msg == WM_CREATE)
    AttachHandle();
  else if (message.Msg == WM_DESTROY)
    DetachHandle();
  TCustomMessageSnatcher::HookWndProc(message);
}
