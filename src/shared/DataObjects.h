// Reading texts and file lists out of an OLE data object.
#pragma once
#include <stdexcept>
#include <string>

#include <windows.h>
#include <objidl.h>

#include "classlib/Handles.h"
#include "classlib/StringList.h"

// A failed OLE call, with its result.
class EOleSysError : public std::runtime_error {
 public:
  EOleSysError(const std::string& what, HRESULT code) : std::runtime_error(what), ErrorCode(code) {}
  HRESULT ErrorCode;
};

// A storage medium that releases itself.
class TStgMedium {
 public:
  TStgMedium() { Medium = STGMEDIUM(); }
  ~TStgMedium() { Release(); }
  TStgMedium(const TStgMedium&) = delete;
  TStgMedium& operator=(const TStgMedium&) = delete;
  void Release();
  STGMEDIUM Medium;
};

class TDataObjectReader {
 public:
  explicit TDataObjectReader(IDataObject* dataObject)
      : dataObject_(ComPtr<IDataObject>::Share(dataObject)) {}
  // Offered as global memory, content aspect, any index.
  bool HasFormat(CLIPFORMAT format) const;
  IDataObject* DataObject() const { return dataObject_.get(); }

 private:
  ComPtr<IDataObject> dataObject_;
};

// Throws EOleSysError when the data object refuses, or answers with another
// kind of medium than storage asks for.
void GetDataObjectMedium(IDataObject* dataObject, TStgMedium& medium, CLIPFORMAT format,
                         DWORD storage);
// The dropped text as Shift-JIS bytes, up to its first zero. CF_UNICODETEXT is
// taken (and converted with code page 932) when offered, because CF_TEXT is in
// the source's ANSI page, which need not be 932; else the CF_TEXT bytes.
// Throws EOleSysError when neither can be had.
std::string GetDataObjectText(IDataObject* dataObject);
// Appends the dropped file names (CF_HDROP) to list, whole, in order. A
// malformed block throws EOleSysError and appends nothing.
void GetDataObjectFiles(IDataObject* dataObject, TStringList& list);
