// A console output stream with a byte budget, for runs on arbitrary answers. A sweep of up to
// 2^31 - 1 points is a legal answer; such a run would print for hours. Once the budget is spent
// the stream refuses every further write (a write that does not fit is refused whole), the
// text layer reports "Write failed" and the run ends with exit status 2. What was written stays
// readable, so an answerer can look at the pending prompt.
#pragma once

#include <cstddef>
#include <ostream>
#include <streambuf>
#include <string>

namespace cuplo::testing {

class BoundedConsole : public std::ostream, private std::streambuf {
 public:
  explicit BoundedConsole(std::size_t budget) : std::ostream(nullptr), budget_(budget) {
    rdbuf(this);
  }

  const std::string& text() const { return text_; }
  bool exhausted() const { return exhausted_; }

 private:
  using traits_type = std::streambuf::traits_type;
  using int_type = std::streambuf::int_type;

  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    exhausted_ = exhausted_ || text_.size() + static_cast<std::size_t>(n) > budget_;
    if (exhausted_) return 0;
    text_.append(s, static_cast<std::size_t>(n));
    return n;
  }

  std::size_t budget_;
  std::string text_;
  bool exhausted_ = false;
};

}  // namespace cuplo::testing
