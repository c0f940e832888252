// The log that stand-in programs started by a test append to. Starts that
// run at once would interleave their appends (Wine appends by finding the
// end, then writing), so each start holds the log alone while it appends,
// and the reader takes only the lines that are whole.
#pragma once
#include <windows.h>

#include <string>

#include "classlib/Handles.h"

// Appends one whole line; waits (about 10 s at most) while another start holds the log.
inline bool AppendToStandInLog(const std::wstring& path, const void* bytes, DWORD size) {
  for (int tries = 0; tries < 1000; ++tries) {
    HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0,
                           nullptr);
    const DWORD error = GetLastError();
    KernelHandle file(h);
    if (file) {
      DWORD written = 0;
      return WriteFile(file.get(), bytes, size, &written, nullptr) && written == size;
    }
    if (error != ERROR_SHARING_VIOLATION) return false;
    Sleep(10);
  }
  return false;
}

// The text up to the end of its last whole line: a line still being written is left out.
template <class Text>
Text WholeLines(const Text& text) {
  return text.substr(0, text.rfind((typename Text::value_type)'\n') + 1);
}
