// One running copy per named kernel mutex, and the search for the first
// copy's window so that a second start can bring it forward.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "classlib/Handles.h"

class TMutex {
 public:
  TMutex() = default;
  ~TMutex();
  TMutex(const TMutex&) = delete;
  TMutex& operator=(const TMutex&) = delete;

  // True for the first copy (the mutex is now held); false when another copy
  // runs and the flags did not end the process.
  bool CheckInstance(const std::string& mutexName, const std::string& windowClass, uint8_t flags,
                     const std::string& windowTitle);
  // True when another copy holds the mutex.
  bool OpenOrCreate();
  void ReleaseHandle();
  bool HoldsMutex() const { return bool(handle_); }

  std::string WindowClass;
  std::string WindowTitle;
  std::string MutexName;
  std::string MessageText;  // empty: the default message
  uint8_t Flags = 0;

 private:
  KernelHandle handle_;
};

enum : uint8_t {
  mxBeep = 0x01,
  mxMessage = 0x02,
  mxRestore = 0x10,
  mxOwnerToFront = 0x20,
  mxEndProcess = 0x80,
};

TMutex& SingleInstanceGuard();
bool CheckSingleInstance(const std::string& mutexName, const std::string& windowClass,
                         const std::string& windowTitle, uint8_t flags);
bool MutexExists(const std::string& name);
HWND FindWindowByClassAndTitle(const std::string& windowClass, const std::string& titlePart);
void BringOwnerToFront(HWND window);
