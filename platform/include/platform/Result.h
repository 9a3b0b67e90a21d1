#pragma once
// The outcome of a platform operation that can fail: its value, or the Error
// that says why not. The platform layer's one way of handing a failure back
// to the caller; it never throws for an ordinary failure.

#include "platform/Error.h"

#include <utility>
#include <variant>

namespace platform {

template <class T> class Result {
public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) { }
    Result(Error error) : v_(std::in_place_index<1>, std::move(error)) { }

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value of a success. Asking a failure for it is a programming error
    // and stops the program (std::bad_variant_access) rather than reading garbage.
    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    template <class U> T value_or(U&& fallback) const& { return ok() ? value() : T(std::forward<U>(fallback)); }
    template <class U> T value_or(U&& fallback) && { return ok() ? std::move(*this).value() : T(std::forward<U>(fallback)); }

    // The failure; only for a result that is not ok().
    const Error& error() const { return std::get<1>(v_); }

private:
    std::variant<T, Error> v_;
};

template <> class Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), failed_(true) { }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    // The failure; an empty Error for a success.
    const Error& error() const { return error_; }

private:
    Error error_;
    bool failed_ = false;
};

}
