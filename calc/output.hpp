// Where and how a command's rows go: an aligned table, CSV or JSON, streamed row by row with
// every float at full precision (the shortest text that reads back to the same 32-bit float).
// An output file is written to a temporary beside it and renamed over it only when the
// command succeeded; standard output is streamed, or held back until success with --strict.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "calc/quantity.hpp"

namespace cuplo::calc {

// The output could not be written (disk full, closed pipe...): exit status 4.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Format : std::uint8_t { table, csv, json, touchstone };

// The format of one run. --format (already one of the command's formats) if given; else by
// the extension of -o: .csv, .json, .txt (a table) and, for a command that writes it, .s4p
// (Touchstone); else, for standard output or a device, a table on a terminal and CSV
// otherwise. UsageError naming -o for an extension that chooses nothing, and for a Touchstone
// name (.sNp) on anything but the coupler's four-port Touchstone file.
Format choose_format(const std::string& format, const std::string& path, bool terminal,
                     std::string_view command, bool touchstone);

// UsageError naming the option (-o, or another that names a file) when the file cannot be
// written: its folder missing or not writable, the file a folder or not writable. Checked
// before anything is computed.
void check_output_path(const std::string& path, std::string_view option = "-o");

// From now on SIGINT and SIGTERM (unless ignored) remove the temporary output file, if one
// is open, and end the program with status 128 + the signal's number (130, 143).
void remove_temporary_on_interrupt();

// A column: its key in CSV and JSON, and its head in the table, with the unit. A length's
// key and head are written with the unit of the run: "w" and "W" become "w_mm", "W (mm)".
struct Column {
  std::string key;
  std::string head;
  bool length = false;

  static Column of_length(std::string key, std::string head) {
    return {std::move(key), std::move(head), true};
  }
};

// One value of a row: a number, or none (null in JSON, empty in CSV, "-" in the table), or a
// word naming the row (a JSON string; as it is in CSV and the table).
struct Cell {
  float value = 0.0f;
  bool present = true;
  const char* word = nullptr;  // a literal, living as long as the program
  Cell() = default;
  Cell(float v) : value(v) {}  // implicit: a row is written as a list of floats
  static Cell none() {
    Cell c(0.0f);
    c.present = false;
    return c;
  }
  static Cell of_word(const char* word) {
    Cell c(0.0f);
    c.word = word;
    return c;
  }
};

// One input of the design, for the JSON "design" object: a number, an integer, a word or a
// sweep. A length (in inches) is written in the run's unit, its key with the unit.
struct DesignEntry {
  enum class Kind : std::uint8_t { number, integer, word, sweep };
  std::string key;
  Kind kind = Kind::number;
  Sweep sweep;  // number (start) and sweep
  std::int32_t integer = 0;
  std::string word;
  bool length = false;

  static DesignEntry of_word(std::string key, std::string word) {
    DesignEntry e;
    e.key = std::move(key);
    e.kind = Kind::word;
    e.word = std::move(word);
    return e;
  }
  static DesignEntry of_number(std::string key, float value, bool length = false) {
    DesignEntry e;
    e.key = std::move(key);
    e.sweep = Sweep::single(value);
    e.length = length;
    return e;
  }
};

// A key as written: a length's with the unit ("w" in mm: "w_mm"), any other as it is.
std::string written_key(std::string_view key, bool length, LengthUnit units);

// The most characters write_value writes.
inline constexpr std::size_t kMaxValueText = cuplo::kMaxLengthText;

// A value as written: a length (in inches) in the run's unit (cuplo::write_length), any
// other value as write_float writes it. Returns the end.
char* write_value(char* out, float value, bool length, LengthUnit units);

// The byte stream of one output: standard output, or a file that appears only on commit().
class Destination {
 public:
  // path "" or "-": standard output, held in an unnamed temporary until commit() when hold
  // is set. Otherwise a temporary beside the file (a file that is not a regular one, such as
  // /dev/null, is written directly). UsageError naming -o when it cannot be created.
  Destination(const std::string& path, bool hold);
  // Standard error, written directly: the values of a command whose data is a file of its own.
  struct StandardError {};
  explicit Destination(StandardError);
  ~Destination();
  Destination(const Destination&) = delete;
  Destination& operator=(const Destination&) = delete;

  void write(std::string_view bytes);
  // Everything written reaches its place: the temporary is renamed over the file, or the held
  // output copied to standard output. OutputError when that fails.
  void commit();

 private:
  void flush();
  void discard() noexcept;

  int fd_ = -1;
  bool owned_ = false;                    // fd_ is ours to close
  bool held_ = false;                     // fd_ is an unnamed temporary for standard output
  std::string name_ = "standard output";  // for messages
  std::string path_;                      // the file to rename over, or empty
  std::string temp_;                      // the temporary's name, or empty
  std::string buffer_;
  bool committed_ = false;
};

// A streaming writer of rows with fixed keys.
class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual void begin() = 0;
  virtual void row(std::span<const Cell> cells) = 0;
  // After the last row: the warnings (JSON keeps them; table and CSV leave them to stderr).
  virtual void end(std::span<const std::string> warnings) = 0;
};

struct Document {
  std::string_view command;
  std::vector<DesignEntry> design;
  std::vector<Column> columns;
  LengthUnit units = LengthUnit::in;  // of every length written
  // Further members of the JSON object after the rows (other formats have none): each key
  // with its value as JSON text.
  std::vector<std::pair<std::string, std::string>> members;
};

std::unique_ptr<RowWriter> make_writer(Format format, const Document& document,
                                       Destination& destination);

// The shortest text that reads back to the same float (std::to_chars); "nan", "inf", "-inf"
// for the values that are not finite. Writes at most 16 characters; returns the end.
char* write_float(char* out, float value);

}  // namespace cuplo::calc
