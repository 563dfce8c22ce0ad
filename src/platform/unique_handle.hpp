#pragma once
// One move-only owner for an operating-system handle; the traits say what "no handle" is and how
// to close one. Copying is deleted so a handle can never be closed twice. Traits with
// adopted(handle) and released(handle) hooks hear of every handle taken over and given away, so
// they can count what is owned.

#include <utility>

namespace platform {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept { reset(handle); }
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.take()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            close_current();
            handle_ = other.take();
        }
        return *this;
    }

    [[nodiscard]] Handle get() const noexcept { return handle_; }
    [[nodiscard]] bool valid() const noexcept { return handle_ != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // The caller owns the handle afterwards.
    [[nodiscard]] Handle release() noexcept {
        const Handle handle = take();
        if constexpr (requires { Traits::released(handle); }) {
            if (handle != Traits::invalid()) {
                Traits::released(handle);
            }
        }
        return handle;
    }

    void reset(Handle handle = Traits::invalid()) noexcept {
        if (handle != Traits::invalid() && handle == handle_) {
            return;
        }
        close_current();
        handle_ = handle;
        if constexpr (requires { Traits::adopted(handle); }) {
            if (handle != Traits::invalid()) {
                Traits::adopted(handle);
            }
        }
    }

private:
    Handle take() noexcept { return std::exchange(handle_, Traits::invalid()); }

    void close_current() noexcept {
        const Handle old = take();
        if (old != Traits::invalid()) {
            Traits::close(old);
        }
    }

    Handle handle_ = Traits::invalid();
};

}  // namespace platform
