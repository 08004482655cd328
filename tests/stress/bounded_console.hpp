// A console output stream with a byte budget, for runs on arbitrary answers. A sweep of up to
// 2^31 - 1 points is a legal answer; such a run would print for hours. Once the budget is
// spent the stream refuses every further write, the text layer reports "Write failed" on the
// console and the run ends with exit status 2. What was written stays readable, so an
// answerer can look at the pending prompt.
#pragma once

#include <cstddef>
#include <ostream>
#include <streambuf>
#include <string>

namespace cuplo::testing {

class BoundedSink : public std::streambuf {
 public:
  explicit BoundedSink(std::size_t budget) : budget_(budget) {}

  const std::string& text() const { return text_; }
  bool exhausted() const { return exhausted_; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
  }

  // A write that does not fit whole is refused whole: the stream then fails.
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const auto size = static_cast<std::size_t>(n);
    if (exhausted_ || text_.size() + size > budget_) {
      exhausted_ = true;
      return 0;
    }
    text_.append(s, size);
    return n;
  }

 private:
  std::size_t budget_;
  std::string text_;
  bool exhausted_ = false;
};

class BoundedConsole : public std::ostream {
 public:
  explicit BoundedConsole(std::size_t budget) : std::ostream(nullptr), sink_(budget) {
    rdbuf(&sink_);
  }

  const std::string& text() const { return sink_.text(); }
  bool exhausted() const { return sink_.exhausted(); }

 private:
  BoundedSink sink_;
};

}  // namespace cuplo::testing
