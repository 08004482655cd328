#include "calc/output.hpp"

#include <fcntl.h>
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

std::string lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return text;
}

std::string system_reason() {
  return std::strerror(errno);
}

[[noreturn]] void cannot_create(const std::string& path) {
  throw UsageError("-o: cannot write " + in_quotes(path) + ": " + system_reason());
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

void append_float(std::string& out, float value) {
  char text[16];
  out.append(text, write_float(text, value));
}

// A JSON number, or null for a value that is not finite (JSON has no NaN or infinity).
void append_json_number(std::string& out, float value) {
  if (std::isfinite(value)) {
    append_float(out, value);
  } else {
    out += "null";
  }
}

class CsvWriter final : public RowWriter {
 public:
  CsvWriter(const Document& document, Destination& destination)
      : columns_(document.columns), destination_(destination) {}

  void begin() override {
    std::string head;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (i > 0) head += ',';
      head += columns_[i].key;
    }
    head += '\n';
    destination_.write(head);
  }

  void row(std::span<const Cell> cells) override {
    line_.clear();
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) line_ += ',';
      if (cells[i].present) append_float(line_, cells[i].value);
    }
    line_ += '\n';
    destination_.write(line_);
  }

  void end(std::span<const std::string>) override {}

 private:
  std::vector<Column> columns_;
  Destination& destination_;
  std::string line_;  // reused: no allocation per row
};

class TableWriter final : public RowWriter {
 public:
  TableWriter(const Document& document, Destination& destination)
      : columns_(document.columns), destination_(destination) {
    // The longest shortest-text of a float is 15 characters ("-1.17549435e-38"): every
    // value fits, so the columns stay aligned whatever the rows hold.
    constexpr std::size_t kMinWidth = 15;
    for (const Column& c : columns_) widths_.push_back(std::max(kMinWidth, c.head.size()));
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
      char text[16];
      const char* end = cells[i].present ? write_float(text, cells[i].value) : text;
      if (!cells[i].present) text[0] = '-';
      pad(line_, i, std::string_view(text, cells[i].present ? end : text + 1));
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
      append_json_string(key, c.key);
      keys_.push_back(key + ": ");
    }
  }

  void begin() override {
    std::string head = "{\"command\": ";
    append_json_string(head, document_.command);
    head += ",\n \"design\": {";
    for (std::size_t i = 0; i < document_.design.size(); ++i) {
      const DesignEntry& e = document_.design[i];
      if (i > 0) head += ", ";
      append_json_string(head, e.key);
      head += ": ";
      switch (e.kind) {
        case DesignEntry::Kind::number:
          append_json_number(head, e.sweep.start);
          break;
        case DesignEntry::Kind::integer:
          head += std::to_string(e.integer);
          break;
        case DesignEntry::Kind::word:
          append_json_string(head, e.word);
          break;
        case DesignEntry::Kind::sweep:
          head += "{\"start\": ";
          append_json_number(head, e.sweep.start);
          head += ", \"stop\": ";
          append_json_number(head, e.sweep.stop);
          head += ", \"step\": ";
          append_json_number(head, e.sweep.step);
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
      if (cells[i].present) {
        append_json_number(line_, cells[i].value);
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
    std::string tail = rows_ == 0 ? "],\n \"warnings\": [" : "\n ],\n \"warnings\": [";
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
  std::string line_;
  std::int64_t rows_ = 0;
};

}  // namespace

char* write_float(char* out, float value) {
  if (std::isnan(value)) return std::copy_n("nan", 3, out);
  if (std::isinf(value))
    return value > 0 ? std::copy_n("inf", 3, out) : std::copy_n("-inf", 4, out);
  return std::to_chars(out, out + 16, value).ptr;
}

Format choose_format(const std::string& format, const std::string& path, bool terminal) {
  if (!format.empty()) {
    if (format == "table") return Format::table;
    if (format == "csv") return Format::csv;
    if (format == "json") return Format::json;
    throw UsageError("--format: " + in_quotes(format) + " is not table, csv or json");
  }
  if (!path.empty() && path != "-") {
    const std::string extension = lower(std::filesystem::path(path).extension().string());
    if (extension == ".csv") return Format::csv;
    if (extension == ".json") return Format::json;
    return Format::table;
  }
  return terminal ? Format::table : Format::csv;
}

std::unique_ptr<RowWriter> make_writer(Format format, const Document& document,
                                       Destination& destination) {
  switch (format) {
    case Format::csv:
      return std::make_unique<CsvWriter>(document, destination);
    case Format::json:
      return std::make_unique<JsonWriter>(document, destination);
    case Format::table:
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
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0)
      throw OutputError("cannot hold the output in " + in_quotes(name) + ": " + system_reason());
    ::unlink(name.c_str());
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
  for (int attempt = 0; attempt < kAttempts && fd_ < 0; ++attempt) {
    temp_ = stem + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
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
    if (::rename(temp_.c_str(), path_.c_str()) != 0) {
      throw OutputError("cannot write " + name_ + ": " + system_reason());
    }
    temp_.clear();
  }
  committed_ = true;
}

void Destination::discard() noexcept {
  if (owned_ && fd_ >= 0) ::close(fd_);
  fd_ = -1;
  owned_ = false;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

}  // namespace cuplo::calc
