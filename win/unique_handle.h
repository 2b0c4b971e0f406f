// One move-only owner for every kind of handle: GDI objects, windows that are
// not CWnd objects, kernel handles. Traits say what "none" is and how to close.
#pragma once
#include <utility>

namespace win {

template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : handle(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    void Reset(Handle h = Traits::None()) {
        if (IsValid()) Traits::Close(handle);
        handle = h;
    }
    Handle Release() { return std::exchange(handle, Traits::None()); }
    Handle Get() const { return handle; }
    bool IsValid() const { return Traits::IsValid(handle); }
    operator Handle() const { return handle; }
    explicit operator bool() const { return IsValid(); }

private:
    Handle handle = Traits::None();
};

}  // namespace win
