// Components that put themselves in front of a control's window procedure.
// Several may hook one control; they form a chain, the outermost first, and
// each passes on what it does not handle.
#pragma once
#include <functional>
#include <memory>

#include <windows.h>

#include "classlib/Controls.h"

// A doubly linked chain of components bound to the same thing.
class TLinkedComponent : public TObject {
 public:
  TLinkedComponent() = default;
  ~TLinkedComponent() override;
  TLinkedComponent(const TLinkedComponent&) = delete;
  TLinkedComponent& operator=(const TLinkedComponent&) = delete;

  // Puts this component into other's chain just in front of other.
  void LinkTo(TLinkedComponent* other);
  void Unlink();
  TLinkedComponent* Next() const { return next_; }
  TLinkedComponent* Previous() const { return previous_; }

 protected:
  virtual void Linked(TLinkedComponent* next, TLinkedComponent* previous) {
    (void)next;
    (void)previous;
  }
  virtual void Unlinking(TLinkedComponent* next, TLinkedComponent* previous) {
    (void)next;
    (void)previous;
  }

 private:
  TLinkedComponent* next_ = nullptr;
  TLinkedComponent* previous_ = nullptr;
};

typedef std::function<void(TObject* sender, TMessage& message, bool& handled)> TSnatchMessageEvent;

class TCustomMessageSnatcher : public TLinkedComponent {
 public:
  TCustomMessageSnatcher();
  ~TCustomMessageSnatcher() override;

  TControl* Control() const { return control_; }
  // Binds to control (nullptr: unbinds). A control that already has
  // snatchers gets this one as its outermost.
  void SetControl(TControl* control);
  // What this snatcher passes messages on to.
  const TWndMethod& PreviousWindowProc() const { return previousWindowProc_; }
  // The reference that the control (or the snatcher outside this one) holds.
  TWndMethod HookMethod() const;

  TSnatchMessageEvent OnMessage;

 protected:
  void Linked(TLinkedComponent* next, TLinkedComponent* previous) override;
  void Unlinking(TLinkedComponent* next, TLinkedComponent* previous) override;
  virtual void Hooked(TControl* control) { (void)control; }
  virtual void Unhooked(TControl* control) { (void)control; }
  virtual void HandleMessage(TMessage& message, bool& handled) {
    (void)message;
    (void)handled;
  }
  // The replacement window procedure.
  virtual void HookWndProc(TMessage& message);

 private:
  struct HookRelay;
  TControl* control_ = nullptr;
  TWndMethod previousWindowProc_;
  std::shared_ptr<HookRelay> relay_;
  bool controlFreeing_ = false;
};

// Follows the creation and destruction of the control's window: registered
// from the hook to the unhook, renewed across every recreation of the window.
class TCustomWinMessageSnatcher : public TCustomMessageSnatcher {
 public:
  ~TCustomWinMessageSnatcher() override;
  void AttachHandle();
  void DetachHandle();
  bool Registered() const { return registered_; }

 protected:
  void Hooked(TControl* control) override;
  void Unhooked(TControl* control) override;
  void HookWndProc(TMessage& message) override;
  virtual void RegisterTarget(HWND handle) { (void)handle; }
  virtual void RevokeTarget(HWND handle) { (void)handle; }

 private:
  bool registered_ = false;
  HWND registeredHandle_ = nullptr;
};

// The outermost snatcher bound to control, or nullptr.
TCustomMessageSnatcher* SnatcherOf(const TControl* control);
