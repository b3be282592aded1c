// A shell folder that passes every call on to a real one and wraps the drop
// targets it hands out, so a test reads which folder's target received which
// drag event, in order ("enter a", "over a", "leave a", "drop a: C:\...\f").
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

class SpyFolder : public IShellFolder {
 public:
  explicit SpyFolder(IShellFolder* real);  // holds a reference to |real|
  virtual ~SpyFolder();
  SpyFolder(const SpyFolder&) = delete;
  SpyFolder& operator=(const SpyFolder&) = delete;

  std::vector<std::string> events;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, LPITEMIDLIST*, ULONG*) override;
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override;
  HRESULT STDMETHODCALLTYPE BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override;
  HRESULT STDMETHODCALLTYPE BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override;
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST) override;
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override;
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, LPCITEMIDLIST*, SFGAOF*) override;
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void**) override;
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST, SHGDNF, STRRET*) override;
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, SHGDNF, LPITEMIDLIST*) override;

 private:
  IShellFolder* real_;
  LONG references_ = 1;
};

// The shell's data object of the file or folder at |path|, or null.
IDataObject* ShellDataObject(const std::string& path);
