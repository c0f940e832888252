// Waiting in the tests: polling a condition, serving this thread's messages
// for a while or until a condition holds. Every wait is bounded.
#pragma once
#include <windows.h>

// Serves the queued messages once; a window that keeps posting cannot hold
// it for ever.
void DispatchQueuedMessages();

// Drops what is left in this thread's queue.
void DiscardQueuedMessages();

// Serves messages for ms milliseconds.
void PumpMessagesFor(DWORD ms);

// Serves messages until done() or ms run out; whether done() came true.
template <class Pred>
bool PumpUntil(Pred done, DWORD ms) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= ms) return false;
    DispatchQueuedMessages();
    Sleep(10);
  }
  return true;
}

// Polls pred every 50 ms, serving no messages, until it holds or ms run out.
template <class Pred>
bool WaitUntil(Pred pred, int ms = 5000) {
  for (int waited = 0; waited < ms; waited += 50) {
    if (pred()) return true;
    Sleep(50);
  }
  return pred();
}
