#include "common/TestMessages.h"

namespace {

const int kMaxMessagesAtOnce = 1000;

}  // namespace

void DispatchQueuedMessages() {
  MSG msg;
  for (int n = 0; n < kMaxMessagesAtOnce && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void DiscardQueuedMessages() {
  MSG msg;
  for (int n = 0; n < kMaxMessagesAtOnce && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
  }
}

void PumpMessagesFor(DWORD ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    DispatchQueuedMessages();
    Sleep(10);
  }
}
