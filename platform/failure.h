// The program's one failure value: what failed, on what, and the Windows
// error code captured where it happened. Ports return it, jobs end with it,
// the diagnostic log writes it, windows show it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace qnb {

struct Failure {
    std::string what;   // the operation, in a few words: "copy file", "connect"
    std::string where;  // what it was done to: a path, a URL, a tool's command line
    uint32_t code = 0;  // GetLastError, a Winsock or HRESULT code; 0 when there is none

    // "what where: error code" in one line, for the log and for developers.
    std::string Describe() const;
};

// Success, or one failure.
class [[nodiscard]] Status {
public:
    Status() = default;  // success
    Status(Failure failure) : failure_(std::move(failure)) {}  // NOLINT: a failure is a status

    static Status Ok() { return Status(); }
    bool ok() const { return !failure_; }
    explicit operator bool() const { return ok(); }
    // Only when !ok().
    const Failure& failure() const { return *failure_; }

private:
    std::optional<Failure> failure_;
};

// A value, or the failure that kept it from being made.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}            // NOLINT
    Result(Failure failure) : failure_(std::move(failure)) {}  // NOLINT

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    // Only when ok().
    T& value() { return *value_; }
    const T& value() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    // Only when !ok().
    const Failure& failure() const { return *failure_; }
    Status status() const { return ok() ? Status() : Status(*failure_); }

private:
    std::optional<T> value_;
    std::optional<Failure> failure_;
};

}  // namespace qnb
