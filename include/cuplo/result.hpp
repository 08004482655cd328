// Failure as a value: every calculation of the library returns a Result, which holds either
// the values or the reason why there are none, and the accuracy limits of the models that
// the design left.
#pragma once

#include <cstdint>

#include "cuplo/limits.hpp"

namespace cuplo {

enum class Failure : std::uint8_t {
  none,
  invalid_input,  // a value the models cannot take (a width of 0, N other than 4 or 6...)
  search_bound,   // a search reached its bound, or left the range where it is defined
  no_solution,    // the odd-mode impedance came out not below the even-mode one
};

// One line saying what went wrong, e.g. "no physical solution: ...".
const char* describe(Failure failure);

template <class T>
class Result {
 public:
  Result(const T& value, Limits limits = {}) : value_(value), limits_(limits) {}

  static Result failed(Failure failure, Limits limits = {}, const char* detail = nullptr) {
    Result r(T{}, limits);
    r.failure_ = failure;
    r.detail_ = detail;
    return r;
  }

  bool ok() const { return failure_ == Failure::none; }
  explicit operator bool() const { return ok(); }

  // The values; meaningful only when ok().
  const T& value() const { return value_; }
  const T& operator*() const { return value_; }
  const T* operator->() const { return &value_; }

  Failure failure() const { return failure_; }
  // What was wrong with the input (invalid_input), or nullptr.
  const char* detail() const { return detail_; }
  // The accuracy limits of the models that the design left.
  Limits limits() const { return limits_; }

 private:
  T value_;
  Limits limits_;
  Failure failure_ = Failure::none;
  const char* detail_ = nullptr;
};

}  // namespace cuplo
