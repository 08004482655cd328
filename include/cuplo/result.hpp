// Failure as a value: every calculation of the library returns a Result, which holds either
// the values or the reason why there are none, and the accuracy limits of the models that
// the design left, with the design point they were judged at (to word the warnings).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "cuplo/limits.hpp"

namespace cuplo {

enum class Failure : std::uint8_t {
  none,
  invalid_input,  // a value the models cannot take (a width of 0, N other than 4 or 6...)
  search_bound,   // a search reached its bound, or left the range where it is defined
  no_solution,    // the odd-mode impedance came out not below the even-mode one
};

// One line saying what went wrong, e.g. "no physical solution: ...".
const char* describe(Failure failure) noexcept;

namespace detail {

// Reading the value of a failed result is a fault of the calling program, not of its input:
// it ends the program at once, saying so, rather than hand out values that are not there.
[[noreturn]] inline void bad_result_access(Failure failure) noexcept {
  std::fputs("cuplo: the value of a failed result was read (", stderr);
  std::fputs(describe(failure), stderr);
  std::fputs(")\n", stderr);
  std::abort();
}

}  // namespace detail

template <class T>
class [[nodiscard]] Result {
 public:
  // The values, with the limits that the design point left.
  Result(T value, Limits limits = {},
         const DesignPoint& point = {}) noexcept(std::is_nothrow_move_constructible_v<T>)
      : value_(std::move(value)), limits_(limits), point_(point) {}

  // No values: why, what in the input was wrong (or nullptr; a longer text is cut), and the
  // limits that could be judged without them.
  [[nodiscard]] static Result failed(
      Failure failure, const char* detail = nullptr, Limits limits = {},
      const DesignPoint& point = {}) noexcept(std::is_nothrow_default_constructible_v<T>) {
    Result r(T{}, limits, point);
    r.failure_ = failure;
    if (detail != nullptr) {
      std::size_t i = 0;
      for (; detail[i] != '\0' && i + 1 < r.detail_.size(); ++i) r.detail_[i] = detail[i];
      r.detail_[i] = '\0';
      r.has_detail_ = true;
    }
    return r;
  }

  bool ok() const noexcept { return failure_ == Failure::none; }
  explicit operator bool() const noexcept { return ok(); }

  // The values; reading them from a failed result ends the program.
  const T& value() const noexcept {
    if (!ok()) detail::bad_result_access(failure_);
    return value_;
  }
  const T& operator*() const noexcept { return value(); }
  const T* operator->() const noexcept { return &value(); }
  T value_or(T fallback) const { return ok() ? value_ : std::move(fallback); }

  Failure failure() const noexcept { return failure_; }
  // What was wrong with the input, or nullptr; valid as long as the result.
  const char* detail() const noexcept { return has_detail_ ? detail_.data() : nullptr; }
  // The accuracy limits of the models that the design left, and where they were judged.
  Limits limits() const noexcept { return limits_; }
  const DesignPoint& point() const noexcept { return point_; }
  // One line for each limit left, in table order: "W/H = 4 is above 3, ...".
  std::vector<std::string> warnings() const {
    std::vector<std::string> lines;
    for (const LimitSpec& row : kLimitTable) {
      if (limits_.contains(row.limit)) lines.push_back(describe(row.limit, point_));
    }
    return lines;
  }

 private:
  T value_;
  Limits limits_;
  DesignPoint point_;
  Failure failure_ = Failure::none;
  bool has_detail_ = false;
  std::array<char, 160> detail_{};  // held, so that a detail composed for this result lives
};

}  // namespace cuplo
