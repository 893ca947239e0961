#pragma once
// Owners of the Win32 resources the window back ends hold.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace gfx::win32 {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// A kernel handle closed with CloseHandle.
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct LibraryFreer {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
// A library loaded by name at run time.
using LoadedLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

// The module's export as the pointer type of `function`; nullptr when the
// module or the export is missing.
template <typename Function>
void findExport(HMODULE module, const char* name, Function& function) {
    function = nullptr;
    if (module != nullptr) {
        function =
            reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
}

// A counted reference to a COM object, released when dropped.
template <typename Interface>
class ComRef {
  public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { reset(); }

    Interface* get() const { return object_; }
    Interface* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // For functions that hand out a new reference.
    Interface** out() {
        reset();
        return &object_;
    }
    void reset() {
        if (object_ != nullptr) object_->Release();
        object_ = nullptr;
    }

  private:
    Interface* object_ = nullptr;
};

}  // namespace gfx::win32
