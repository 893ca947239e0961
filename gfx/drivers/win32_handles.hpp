#pragma once
// Owners of the Win32 resources the window back ends hold.

#include <windows.h>

#include <utility>

namespace gfx::win32 {

// A kernel handle closed with CloseHandle.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset() {
        if (handle_ != nullptr) CloseHandle(handle_);
        handle_ = nullptr;
    }

  private:
    HANDLE handle_ = nullptr;
};

class CriticalSection {
  public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    ~CriticalSection() { DeleteCriticalSection(&section_); }

    void enter() { EnterCriticalSection(&section_); }
    void leave() { LeaveCriticalSection(&section_); }

  private:
    CRITICAL_SECTION section_{};
};

// A library loaded by name at run time.
class LoadedLibrary {
  public:
    LoadedLibrary() = default;
    explicit LoadedLibrary(const char* name) : module_(LoadLibraryA(name)) {}
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    ~LoadedLibrary() {
        if (module_ != nullptr) FreeLibrary(module_);
    }

    explicit operator bool() const { return module_ != nullptr; }
    // The exported function as the given pointer type, nullptr when missing.
    template <typename Function>
    Function find(const char* name) const {
        if (module_ == nullptr) return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

  private:
    HMODULE module_ = nullptr;
};

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
