// Rendering of layouts into records. Every record ends in CR LF.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "text/format.hpp"

namespace cuplo::text {

inline constexpr std::string_view kRecordEnd = "\r\n";

enum class Advance : std::uint8_t {
  yes,  // the last record of the statement is ended
  no,   // the last record stays open: the next output continues on the same line
};

// Appends the rendered records of one output statement to out. Throws std::logic_error when
// the values do not match the layout's value items in number or kind.
void render(std::string& out, const Format& format, std::span<const Arg> args,
            Advance advance = Advance::yes);

// One field, for tests and for callers that build a record piecewise.
void render_real(std::string& out, float value, std::int32_t width, std::int32_t decimals);
void render_integer(std::string& out, std::int32_t value, std::int32_t width);
void render_chars(std::string& out, std::string_view value, std::int32_t width);

// Writes one statement to a stream. A stream that fails the write throws FatalError naming
// the destination.
void write(std::ostream& os, const Format& format, std::initializer_list<Arg> args = {});
// The same, non-advancing, then flushed: the answer is typed on the prompt's line.
void prompt(std::ostream& os, const Format& format, std::initializer_list<Arg> args = {});

// A destination with its own reusable buffer and a name for error reports; the report
// writers of the operations go through one of these per destination.
class Writer {
 public:
  Writer(std::ostream& os, std::string name) : os_(&os), name_(std::move(name)) {}

  void put(const Format& format, std::initializer_list<Arg> args = {});
  void prompt(const Format& format, std::initializer_list<Arg> args = {});
  // The bytes of the statement last written by put or prompt.
  std::string_view last() const { return buffer_; }
  // Writes bytes rendered elsewhere, such as the statement another writer just wrote.
  void put_bytes(std::string_view bytes);
  // Pushes buffered bytes to the device; a device that refuses them throws FatalError.
  void flush();

  std::ostream& stream() { return *os_; }
  const std::string& name() const { return name_; }

 private:
  void emit();

  std::ostream* os_;
  std::string name_;
  std::string buffer_;
};

}  // namespace cuplo::text
