#include "calc/output.hpp"

#include "cuplo/touchstone.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace cuplo::calc {
namespace {

// Output leaves in pieces of this size; a row never waits long and memory stays flat.
constexpr std::size_t kFlushSize = std::size_t{1} << 16;

// The name of the temporary output file while one exists, for the interrupt handler to
// remove: the program's one piece of global state. It is written only while SIGINT and
// SIGTERM are blocked, so the handler never reads it half written; empty: no temporary.
constexpr std::size_t kPathSize = 4096;  // PATH_MAX: no longer name can be opened
char interrupted_temporary[kPathSize];

// Async-signal-safe: unlink and _exit only.
void remove_and_exit(int signal) {
  if (interrupted_temporary[0] != '\0') (void)::unlink(interrupted_temporary);
  ::_exit(128 + signal);
}

// SIGINT and SIGTERM held back for the life of the object, then let through.
class InterruptsHeld {
 public:
  InterruptsHeld() {
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    sigprocmask(SIG_BLOCK, &held, &before_);
  }
  ~InterruptsHeld() { sigprocmask(SIG_SETMASK, &before_, nullptr); }
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  sigset_t before_{};
};

// With interrupts held: the temporary the handler is to remove, or none.
void note_temporary(const std::string& path) {
  const std::size_t n = path.size() < kPathSize ? path.size() : 0;
  std::copy_n(path.data(), n, interrupted_temporary);
  interrupted_temporary[n] = '\0';
}

std::string lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return text;
}

std::string system_reason() {
  return std::strerror(errno);
}

[[noreturn]] void cannot_create(const std::string& path, std::string_view option = "-o") {
  throw UsageError(std::string(option) + ": cannot write " + in_quotes(path) + ": " +
                   system_reason());
}

// Writes all of bytes to fd; false with errno set on failure.
bool write_all(int fd, const char* bytes, std::size_t size) {
  // Each pass writes at least one byte or fails, so the loop ends.
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// A JSON string literal (ASCII control characters escaped; other bytes as they are).
void append_json_string(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      constexpr std::string_view kHex = "0123456789abcdef";
      out += "\\u00";
      out += kHex[u >> 4];
      out += kHex[u & 15u];
    } else {
      out += c;
    }
  }
  out += '"';
}

void append_value(std::string& out, float value, bool length, LengthUnit units) {
  char text[kMaxValueText];
  out.append(text, write_value(text, value, length, units));
}

// A JSON number, or null for a value that is not finite (JSON has no NaN or infinity).
void append_json_number(std::string& out, float value, bool length, LengthUnit units) {
  if (std::isfinite(value)) {
    append_value(out, value, length, units);
  } else {
    out += "null";
  }
}

class CsvWriter final : public RowWriter {
 public:
  CsvWriter(const Document& document, Destination& destination)
      : columns_(document.columns), units_(document.units), destination_(destination) {}

  void begin() override {
    std::string head;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (i > 0) head += ',';
      head += written_key(columns_[i].key, columns_[i].length, units_);
    }
    head += '\n';
    destination_.write(head);
  }

  void row(std::span<const Cell> cells) override {
    line_.clear();
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) line_ += ',';
      if (cells[i].word != nullptr) {
        line_ += cells[i].word;
      } else if (cells[i].present) {
        append_value(line_, cells[i].value, columns_[i].length, units_);
      }
    }
    line_ += '\n';
    destination_.write(line_);
  }

  void end(std::span<const std::string>) override {}

 private:
  std::vector<Column> columns_;
  LengthUnit units_;
  Destination& destination_;
  std::string line_;  // reused: no allocation per row
};

class TableWriter final : public RowWriter {
 public:
  TableWriter(const Document& document, Destination& destination)
      : columns_(document.columns), units_(document.units), destination_(destination) {
    // The longest shortest-text of a float is 15 characters ("-1.17549435e-38"), and so is
    // that of a length in another unit (at most 9 digits): every value fits, so the columns
    // stay aligned whatever the rows hold.
    constexpr std::size_t kMinWidth = 15;
    for (Column& c : columns_) {
      if (c.length) c.head += std::string(" (") + cuplo::name(units_) + ")";
      widths_.push_back(std::max(kMinWidth, c.head.size()));
    }
  }

  void begin() override {
    std::string heads;
    std::string rule;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      pad(heads, i, columns_[i].head);
      pad(rule, i, std::string(widths_[i], '-'));
    }
    destination_.write(heads + "\n" + rule + "\n");
  }

  void row(std::span<const Cell> cells) override {
    line_.clear();
    for (std::size_t i = 0; i < cells.size(); ++i) {
      char text[kMaxValueText];
      const char* end =
          cells[i].present ? write_value(text, cells[i].value, columns_[i].length, units_) : text;
      if (!cells[i].present) text[0] = '-';
      pad(line_, i,
          cells[i].word != nullptr ? std::string_view(cells[i].word)
                                   : std::string_view(text, cells[i].present ? end : text + 1));
    }
    line_ += '\n';
    destination_.write(line_);
  }

  void end(std::span<const std::string>) override {}

 private:
  // Right-aligned in the column's width, one space between columns.
  void pad(std::string& out, std::size_t column, std::string_view text) const {
    if (column > 0) out += ' ';
    if (text.size() < widths_[column]) out.append(widths_[column] - text.size(), ' ');
    out += text;
  }

  std::vector<Column> columns_;
  LengthUnit units_;
  std::vector<std::size_t> widths_;
  Destination& destination_;
  std::string line_;
};

class JsonWriter final : public RowWriter {
 public:
  JsonWriter(const Document& document, Destination& destination)
      : document_(document), destination_(destination) {
    for (const Column& c : document.columns) {
      std::string key;
      append_json_string(key, written_key(c.key, c.length, document.units));
      keys_.push_back(key + ": ");
      lengths_.push_back(c.length);
    }
  }

  void begin() override {
    std::string head = "{\"command\": ";
    append_json_string(head, document_.command);
    head += ",\n \"design\": {";
    for (std::size_t i = 0; i < document_.design.size(); ++i) {
      const DesignEntry& e = document_.design[i];
      const LengthUnit units = document_.units;
      if (i > 0) head += ", ";
      append_json_string(head, written_key(e.key, e.length, units));
      head += ": ";
      switch (e.kind) {
        case DesignEntry::Kind::number:
          append_json_number(head, e.sweep.start, e.length, units);
          break;
        case DesignEntry::Kind::integer:
          head += std::to_string(e.integer);
          break;
        case DesignEntry::Kind::word:
          append_json_string(head, e.word);
          break;
        case DesignEntry::Kind::sweep:
          head += "{\"start\": ";
          append_json_number(head, e.sweep.start, e.length, units);
          head += ", \"stop\": ";
          append_json_number(head, e.sweep.stop, e.length, units);
          head += ", \"step\": ";
          append_json_number(head, e.sweep.step, e.length, units);
          head += ", \"points\": " + std::to_string(e.sweep.points()) + "}";
          break;
      }
    }
    head += "},\n \"rows\": [";
    destination_.write(head);
  }

  void row(std::span<const Cell> cells) override {
    line_.clear();
    line_ += rows_ == 0 ? "\n  {" : ",\n  {";
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) line_ += ", ";
      line_ += keys_[i];
      if (cells[i].word != nullptr) {
        append_json_string(line_, cells[i].word);
      } else if (cells[i].present) {
        append_json_number(line_, cells[i].value, lengths_[i], document_.units);
      } else {
        line_ += "null";
      }
    }
    line_ += '}';
    destination_.write(line_);
    ++rows_;
  }

  // The warnings follow the rows: they are known only once every row has been computed, and
  // the rows are not held back.
  void end(std::span<const std::string> warnings) override {
    std::string tail = rows_ == 0 ? "]" : "\n ]";
    for (const auto& [key, value] : document_.members) {
      tail += ",\n ";
      append_json_string(tail, key);
      tail += ": " + value;
    }
    tail += ",\n \"warnings\": [";
    for (std::size_t i = 0; i < warnings.size(); ++i) {
      if (i > 0) tail += ", ";
      append_json_string(tail, warnings[i]);
    }
    tail += "]}\n";
    destination_.write(tail);
  }

 private:
  const Document& document_;
  Destination& destination_;
  std::vector<std::string> keys_;
  std::vector<bool> lengths_;
  std::string line_;
  std::int64_t rows_ = 0;
};

}  // namespace

char* write_float(char* out, float value) {
  return cuplo::shortest_float(out, value);
}

std::string written_key(std::string_view key, bool length, LengthUnit units) {
  std::string out(key);
  if (length) {
    out += '_';
    out += cuplo::name(units);
  }
  return out;
}

char* write_value(char* out, float value, bool length, LengthUnit units) {
  return length ? cuplo::write_length(out, value, units) : write_float(out, value);
}

Format choose_format(const std::string& format, const std::string& path, bool terminal,
                     std::string_view command, bool touchstone) {
  const bool to_file = !path.empty() && path != "-";
  const std::string extension =
      to_file ? lower(std::filesystem::path(path).extension().string()) : std::string();
  // A Touchstone name, .sNp, holds an N-port's S-matrix: only the four-port file fits it.
  const bool snp = extension.size() >= 4 && extension[1] == 's' && extension.back() == 'p' &&
                   std::all_of(extension.begin() + 2, extension.end() - 1,
                               [](char c) { return c >= '0' && c <= '9'; });
  const std::string named = "-o: " + in_quotes(path);
  if (snp) {
    if (!touchstone) {
      throw UsageError(named + " is a Touchstone name; " + std::string(command) +
                       " writes no Touchstone file (response does): name it .csv, .json or .txt");
    }
    if (extension != ".s4p") {
      throw UsageError(named + ": the coupler is a four-port, its Touchstone file is .s4p");
    }
    if (!format.empty() && format != "touchstone") {
      throw UsageError(named + " is a Touchstone name, but --format " + format + " writes " +
                       format + ": leave out --format, or rename the file");
    }
    return Format::touchstone;
  }
  if (format == "table") return Format::table;
  if (format == "csv") return Format::csv;
  if (format == "json") return Format::json;
  if (format == "touchstone") return Format::touchstone;
  if (!format.empty()) throw UsageError("--format: " + in_quotes(format) + " is not a format");
  if (to_file) {
    if (extension == ".csv") return Format::csv;
    if (extension == ".json") return Format::json;
    if (extension == ".txt") return Format::table;
    // A device or a pipe has no extension to go by: it is written as standard output is.
    struct stat st {};
    const bool special =
        ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
    if (!special) {
      throw UsageError(named + ": the extension chooses the format (.csv, .json, .txt" +
                       (touchstone ? std::string(", .s4p") : std::string()) +
                       "): rename the file, or give --format");
    }
    return Format::csv;
  }
  return terminal ? Format::table : Format::csv;
}

void check_output_path(const std::string& path, std::string_view option) {
  if (path.empty() || path == "-") return;
  const std::string named = std::string(option) + ": " + in_quotes(path);
  // A link is followed, as Destination follows it: the temporary goes beside what it names.
  std::error_code ec;
  std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
  if (ec) real = path;
  struct stat st {};
  if (::stat(real.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) throw UsageError(named + " is a folder");
    if (!S_ISREG(st.st_mode)) return;  // a device or a pipe, written directly
    if (::access(real.c_str(), W_OK) != 0) cannot_create(path, option);
  }
  const std::filesystem::path typed_folder = std::filesystem::path(path).parent_path();
  const std::string folder = typed_folder.empty() ? "." : typed_folder.string();
  std::filesystem::path real_folder = real.parent_path();
  if (real_folder.empty()) real_folder = ".";
  if (::stat(real_folder.c_str(), &st) != 0) {
    throw UsageError(named + ": the folder " + in_quotes(folder) + " does not exist");
  }
  if (!S_ISDIR(st.st_mode)) {
    throw UsageError(named + ": " + in_quotes(folder) + " is not a folder");
  }
  // The file is written as a temporary beside it, then renamed: the folder must take both.
  if (::access(real_folder.c_str(), W_OK | X_OK) != 0) {
    throw UsageError(named + ": cannot write in the folder " + in_quotes(folder) + ": " +
                     system_reason());
  }
}

void remove_temporary_on_interrupt() {
  for (const int signal : {SIGINT, SIGTERM}) {
    struct sigaction before {};
    if (::sigaction(signal, nullptr, &before) != 0) continue;
    // A run started with the signal ignored (in the background, under nohup) keeps it so.
    if (before.sa_handler == SIG_IGN) continue;
    struct sigaction handler {};
    handler.sa_handler = remove_and_exit;
    sigemptyset(&handler.sa_mask);
    sigaddset(&handler.sa_mask, SIGINT);
    sigaddset(&handler.sa_mask, SIGTERM);
    (void)::sigaction(signal, &handler, nullptr);
  }
}

std::unique_ptr<RowWriter> make_writer(Format format, const Document& document,
                                       Destination& destination) {
  switch (format) {
    case Format::csv:
      return std::make_unique<CsvWriter>(document, destination);
    case Format::json:
      return std::make_unique<JsonWriter>(document, destination);
    case Format::table:
    case Format::touchstone:  // the command's own writer (Report's make); never asked here
      break;
  }
  return std::make_unique<TableWriter>(document, destination);
}

Destination::Destination(const std::string& path, bool hold) {
  buffer_.reserve(2 * kFlushSize);
  if (path.empty() || path == "-") {
    if (!hold) {
      fd_ = STDOUT_FILENO;
      return;
    }
    // Held output waits in an unnamed temporary file, not in memory: a long sweep stays flat.
    const char* dir = std::getenv("TMPDIR");
    std::string name =
        std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/cuplo-calc-XXXXXX";
    {
      // Unnamed before an interrupt can end the run: nothing is left for the handler.
      const InterruptsHeld held;
      fd_ = ::mkstemp(name.data());
      if (fd_ >= 0) ::unlink(name.c_str());
    }
    if (fd_ < 0)
      throw OutputError("cannot hold the output in " + in_quotes(name) + ": " + system_reason());
    owned_ = true;
    held_ = true;
    return;
  }

  name_ = in_quotes(path);
  // A link is followed, so that the file it names is replaced and the link kept.
  std::error_code ec;
  std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
  if (ec) real = path;
  struct stat st {};
  const bool exists = ::stat(real.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a pipe (/dev/null, a FIFO) is written directly: there is nothing to
    // rename over. A directory fails here.
    fd_ = ::open(real.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) cannot_create(path);
    owned_ = true;
    return;
  }
  if (exists && ::access(real.c_str(), W_OK) != 0) cannot_create(path);

  // The temporary: a hidden name beside the file, created exclusively; the umask applies.
  std::string hidden(1, '.');
  hidden += real.filename().string();
  const std::string stem = (real.parent_path() / hidden).string();
  constexpr int kAttempts = 100;
  {
    // Created and noted for the interrupt handler at once: no signal falls between.
    const InterruptsHeld held;
    for (int attempt = 0; attempt < kAttempts && fd_ < 0; ++attempt) {
      temp_ = stem + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
      fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ >= 0) note_temporary(temp_);
  }
  if (fd_ < 0) {
    temp_.clear();
    cannot_create(path);
  }
  owned_ = true;
  path_ = real.string();
  // A file replaced keeps its permissions.
  if (exists) (void)::fchmod(fd_, st.st_mode & 07777);
}

Destination::Destination(StandardError) : fd_(STDERR_FILENO), name_("standard error") {}

Destination::~Destination() {
  if (committed_) return;
  // Rows streamed to standard output before a failure are let out; a file never is.
  if (fd_ == STDOUT_FILENO && !held_) {
    (void)write_all(fd_, buffer_.data(), buffer_.size());
  }
  discard();
}

void Destination::write(std::string_view bytes) {
  buffer_ += bytes;
  if (buffer_.size() >= kFlushSize) flush();
}

void Destination::flush() {
  if (!write_all(fd_, buffer_.data(), buffer_.size())) {
    throw OutputError("cannot write " + name_ + ": " + system_reason());
  }
  buffer_.clear();
}

void Destination::commit() {
  flush();
  if (held_) {
    const off_t size = ::lseek(fd_, 0, SEEK_END);
    if (size < 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
      throw OutputError("cannot read back the held output: " + system_reason());
    }
    std::array<char, kFlushSize> piece{};
    // Each pass copies at least one byte of the held size, or fails.
    for (off_t copied = 0; copied < size;) {
      const ssize_t n = ::read(fd_, piece.data(), piece.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw OutputError("cannot read back the held output: " + system_reason());
      if (!write_all(STDOUT_FILENO, piece.data(), static_cast<std::size_t>(n))) {
        throw OutputError("cannot write standard output: " + system_reason());
      }
      copied += n;
    }
  }
  if (!temp_.empty() && ::fsync(fd_) != 0) {
    throw OutputError("cannot write " + name_ + ": " + system_reason());
  }
  if (owned_) {
    const int fd = fd_;
    fd_ = -1;
    owned_ = false;
    if (::close(fd) != 0) throw OutputError("cannot write " + name_ + ": " + system_reason());
  }
  if (!temp_.empty()) {
    const InterruptsHeld held;
    if (::rename(temp_.c_str(), path_.c_str()) != 0) {
      throw OutputError("cannot write " + name_ + ": " + system_reason());
    }
    note_temporary({});
    temp_.clear();
  }
  committed_ = true;
}

void Destination::discard() noexcept {
  if (owned_ && fd_ >= 0) ::close(fd_);
  fd_ = -1;
  owned_ = false;
  if (!temp_.empty()) {
    const InterruptsHeld held;
    ::unlink(temp_.c_str());
    note_temporary({});
  }
  temp_.clear();
}

}  // namespace cuplo::calc
