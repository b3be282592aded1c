#include "support/spy_folder.h"

#include <shellapi.h>

#include "shell/shell_items.h"

namespace {

class SpyTarget : public IDropTarget {
 public:
  SpyTarget(IDropTarget* real, std::string name, std::vector<std::string>* events)
      : real_(real), name_(std::move(name)), events_(events) {}
  virtual ~SpyTarget() { real_->Release(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDropTarget)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (!left) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override {
    events_->push_back("enter " + name_);
    return real_->DragEnter(data, keys, at, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override {
    events_->push_back("over " + name_);
    return real_->DragOver(keys, at, effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    events_->push_back("leave " + name_);
    return real_->DragLeave();
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override {
    events_->push_back("drop " + name_ + ": " + DroppedPath(data));
    return real_->Drop(data, keys, at, effect);
  }

 private:
  static std::string DroppedPath(IDataObject* data) {
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return "";
    char path[MAX_PATH] = "";
    DragQueryFileA(static_cast<HDROP>(medium.hGlobal), 0, path, MAX_PATH);
    ReleaseStgMedium(&medium);
    return path;
  }

  IDropTarget* real_;
  std::string name_;
  std::vector<std::string>* events_;
  LONG references_ = 1;
};

}  // namespace

SpyFolder::SpyFolder(IShellFolder* real) : real_(real) { real_->AddRef(); }
SpyFolder::~SpyFolder() { real_->Release(); }

HRESULT SpyFolder::QueryInterface(REFIID iid, void** out) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellFolder)) {
    *out = this;
    AddRef();
    return S_OK;
  }
  return real_->QueryInterface(iid, out);
}
ULONG SpyFolder::AddRef() { return InterlockedIncrement(&references_); }
ULONG SpyFolder::Release() { return InterlockedDecrement(&references_); }  // the test owns it
HRESULT SpyFolder::ParseDisplayName(HWND w, IBindCtx* b, LPWSTR n, ULONG* e, LPITEMIDLIST* l, ULONG* a) {
  return real_->ParseDisplayName(w, b, n, e, l, a);
}
HRESULT SpyFolder::EnumObjects(HWND w, SHCONTF f, IEnumIDList** e) { return real_->EnumObjects(w, f, e); }
HRESULT SpyFolder::BindToObject(LPCITEMIDLIST l, IBindCtx* b, REFIID i, void** o) {
  return real_->BindToObject(l, b, i, o);
}
HRESULT SpyFolder::BindToStorage(LPCITEMIDLIST l, IBindCtx* b, REFIID i, void** o) {
  return real_->BindToStorage(l, b, i, o);
}
HRESULT SpyFolder::CompareIDs(LPARAM p, LPCITEMIDLIST a, LPCITEMIDLIST b) { return real_->CompareIDs(p, a, b); }
HRESULT SpyFolder::CreateViewObject(HWND w, REFIID i, void** o) { return real_->CreateViewObject(w, i, o); }
HRESULT SpyFolder::GetAttributesOf(UINT n, LPCITEMIDLIST* l, SFGAOF* a) { return real_->GetAttributesOf(n, l, a); }
HRESULT SpyFolder::GetDisplayNameOf(LPCITEMIDLIST l, SHGDNF f, STRRET* r) { return real_->GetDisplayNameOf(l, f, r); }
HRESULT SpyFolder::SetNameOf(HWND w, LPCITEMIDLIST l, LPCWSTR n, SHGDNF f, LPITEMIDLIST* o) {
  return real_->SetNameOf(w, l, n, f, o);
}

HRESULT SpyFolder::GetUIObjectOf(HWND w, UINT n, LPCITEMIDLIST* l, REFIID i, UINT* r, void** o) {
  HRESULT result = real_->GetUIObjectOf(w, n, l, i, r, o);
  if (FAILED(result) || !IsEqualIID(i, IID_IDropTarget) || n != 1) return result;
  char name[SHELL_TEXT_MAX] = "";
  DisplayNameOf(real_, l[0], SHGDN_NORMAL, name);
  *o = static_cast<IDropTarget*>(new SpyTarget(static_cast<IDropTarget*>(*o), name, &events));
  return result;
}

IDataObject* ShellDataObject(const std::string& path) {
  LPITEMIDLIST absolute = IdListFromPath(path.c_str(), nullptr, nullptr);
  if (!absolute) return nullptr;
  IShellFolder* parent = nullptr;
  LPCITEMIDLIST last = nullptr;
  IDataObject* data = nullptr;
  if (SUCCEEDED(SHBindToParent(absolute, IID_IShellFolder, reinterpret_cast<void**>(&parent), &last))) {
    parent->GetUIObjectOf(nullptr, 1, &last, IID_IDataObject, nullptr, reinterpret_cast<void**>(&data));
    parent->Release();
  }
  FreeIdList(absolute);
  return data;
}
