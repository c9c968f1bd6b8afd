// SPDX-License-Identifier: GPL-3.0-or-later
// How the core reports a failure: a Result holds either the value asked for or a Failure, which
// says in words a user can act on what went wrong, with the system's error number when one
// caused it. Functions that fail return a Result; they do not leave the reason in errno, in an
// out-parameter or in an exception.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace tavrin {

struct Failure {
  std::string reason;   // what happened and what to do next; may be empty when already shown
  int systemError = 0;  // the errno behind it, 0 when none

  // The system's text for systemError ("No space left on device"), or "" without one.
  std::string SystemText() const { return systemError != 0 ? std::strerror(systemError) : ""; }
};

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::move(value)) {}
  Result(Failure failure) : state_(std::move(failure)) {}

  bool Ok() const { return state_.index() == 0; }
  explicit operator bool() const { return Ok(); }

  T& operator*() { return std::get<0>(state_); }
  const T& operator*() const { return std::get<0>(state_); }
  T* operator->() { return &std::get<0>(state_); }
  const T* operator->() const { return &std::get<0>(state_); }
  const Failure& Error() const { return std::get<1>(state_); }

  // Equal to a value when it holds that value, as an optional is.
  friend bool operator==(const Result& result, const T& value) {
    return result.Ok() && *result == value;
  }
  friend bool operator==(const Result& a, const Result& b) {
    if (a.Ok() != b.Ok()) return false;
    return a.Ok() ? *a == *b : a.Error().reason == b.Error().reason;
  }

 private:
  std::variant<T, Failure> state_;
};

// A Result with nothing to hand back: success, or a Failure.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : failure_(std::move(failure)) {}

  bool Ok() const { return !failure_.has_value(); }
  explicit operator bool() const { return Ok(); }
  const Failure& Error() const { return *failure_; }

 private:
  std::optional<Failure> failure_;
};

// A failure caused by the system's error number `error`, with the reason a user reads.
inline Failure SystemFailure(int error, std::string reason = {}) {
  return Failure{std::move(reason), error};
}

}  // namespace tavrin
