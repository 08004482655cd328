// Parser of fixed-format record layouts. A layout is read once into a small tree of nodes
// (literal, blanks, value field, slash, repeat group) and then flattened: repeat groups are
// expanded and neighbouring literals and blanks are merged, so that rendering a record is a
// single pass over a flat item list.
#include "text/format.hpp"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace cuplo::text {
namespace {

// Counts, widths and decimals above this are refused: no record of the program comes near it,
// and it keeps every sum of widths far inside the 32-bit range.
constexpr std::int32_t kMaxNumber = 999999;
// Bound on the work of expanding nested repeat groups, so that a layout such as
// 999999(999999('')) is refused instead of running for hours or exhausting memory.
constexpr std::size_t kMaxExpansion = std::size_t{1} << 22;

struct Node {
  enum class Kind : std::uint8_t { literal, real, integer, chars, slash, group };
  Kind kind = Kind::literal;
  std::int32_t count = 1;  // repeat count (group, value fields, slash)
  std::int32_t width = 0;
  std::int32_t decimals = 0;
  std::string text;  // literal: its characters (nX is stored as n blanks)
  std::vector<Node> children;
};

class Parser {
 public:
  explicit Parser(std::string_view spec) : spec_(spec) {}

  std::vector<Node> parse() {
    skip_blanks();
    if (at_end() || spec_[pos_] != '(') fail("layout must begin with '('");
    ++pos_;
    std::vector<Node> nodes = list();
    skip_blanks();
    if (!at_end()) fail("text after the closing ')'");
    return nodes;
  }

 private:
  // Separators: a comma between items; a slash both is an item and separates, so commas
  // around it may be left out, as in (///,16X,'x') or ('a'/'b').
  enum class State : std::uint8_t { start, after_item, after_comma, after_slash };

  std::vector<Node> list() {
    std::vector<Node> nodes;
    State state = State::start;
    for (;;) {
      skip_blanks();
      if (at_end()) fail("missing ')'");
      const char c = spec_[pos_];
      if (c == ')') {
        if (state == State::after_comma) fail("item expected after ','");
        ++pos_;
        return nodes;
      }
      if (c == ',') {
        if (state != State::after_item && state != State::after_slash) fail("misplaced ','");
        ++pos_;
        state = State::after_comma;
        continue;
      }
      Node node = item();
      if (node.kind == Node::Kind::slash) {
        state = State::after_slash;
      } else {
        if (state == State::after_item) fail("missing ','");
        state = State::after_item;
      }
      nodes.push_back(std::move(node));
    }
  }

  Node item() {
    const std::size_t start = pos_;
    std::int32_t count = 0;
    const bool has_count = is_digit(spec_[pos_]);
    if (has_count) {
      count = number();
      if (count == 0) fail("a count must be at least 1");
    }
    if (has_count) skip_blanks();  // "72 (1H-)" is the same as "72(1H-)"
    if (at_end()) fail("item expected");
    const char c = spec_[pos_];
    Node node;
    node.count = has_count ? count : 1;
    switch (c) {
      case '(':
        ++pos_;
        node.kind = Node::Kind::group;
        node.children = list();
        if (node.children.empty()) fail("empty repeat group");
        return node;
      case '/':
        ++pos_;
        node.kind = Node::Kind::slash;
        return node;
      case '\'':
      case '"':
        if (has_count) fail("a quoted literal takes no count");
        node.kind = Node::Kind::literal;
        node.text = quoted();
        return node;
      case 'X':
      case 'x':
        if (!has_count) fail("X needs a count, as in 6X");
        ++pos_;
        node.kind = Node::Kind::literal;
        node.text.assign(static_cast<std::size_t>(count), ' ');
        node.count = 1;
        return node;
      case 'H':
      case 'h':
        if (!has_count) fail("H needs a count, as in 1H-");
        ++pos_;
        if (spec_.size() - pos_ < static_cast<std::size_t>(count)) fail("Hollerith text too short");
        node.kind = Node::Kind::literal;
        node.text = std::string(spec_.substr(pos_, static_cast<std::size_t>(count)));
        pos_ += static_cast<std::size_t>(count);
        node.count = 1;
        return node;
      case 'F':
      case 'f':
        ++pos_;
        node.kind = Node::Kind::real;
        node.width = width();
        if (at_end() || spec_[pos_] != '.') fail("F needs w.d, as in F6.2");
        ++pos_;
        if (at_end() || !is_digit(spec_[pos_])) fail("F needs w.d, as in F6.2");
        node.decimals = number();
        return node;
      case 'I':
      case 'i':
        ++pos_;
        node.kind = Node::Kind::integer;
        node.width = width();
        return node;
      case 'A':
      case 'a':
        ++pos_;
        node.kind = Node::Kind::chars;
        node.width = width();
        return node;
      default:
        pos_ = start;
        fail("unknown item");
    }
  }

  // A literal between apostrophes or double quotes; a doubled delimiter stands for itself.
  std::string quoted() {
    const char delimiter = spec_[pos_++];
    std::string text;
    for (;;) {
      if (at_end()) fail("unterminated literal");
      const char c = spec_[pos_++];
      if (c == delimiter) {
        if (!at_end() && spec_[pos_] == delimiter) {
          text += delimiter;
          ++pos_;
          continue;
        }
        return text;
      }
      text += c;
    }
  }

  std::int32_t width() {
    if (at_end() || !is_digit(spec_[pos_])) fail("field width expected");
    const std::int32_t w = number();
    if (w == 0) fail("a field width must be at least 1");
    return w;
  }

  std::int32_t number() {
    std::int32_t value = 0;
    while (!at_end() && is_digit(spec_[pos_])) {
      value = value * 10 + (spec_[pos_] - '0');
      if (value > kMaxNumber) fail("number too large");
      ++pos_;
    }
    return value;
  }

  void skip_blanks() {
    while (!at_end() && (spec_[pos_] == ' ' || spec_[pos_] == '\t')) ++pos_;
  }
  bool at_end() const { return pos_ >= spec_.size(); }
  static bool is_digit(char c) { return c >= '0' && c <= '9'; }

  [[noreturn]] void fail(const char* what) const {
    throw std::invalid_argument("layout " + std::string(spec_) + ": " + what + " at position " +
                                std::to_string(pos_));
  }

  std::string_view spec_;
  std::size_t pos_ = 0;
};

// Flattening: appends the expansion of the nodes to the item list. A literal that follows a
// literal is appended to the same run of characters and lengthens the previous item.
class FormatBuilder {
 public:
  FormatBuilder(std::string& literals, std::vector<Item>& items, std::size_t& values)
      : literals_(literals), items_(items), values_(values) {}

  void emit(const std::vector<Node>& nodes, std::string_view spec) {
    for (const Node& node : nodes) {
      for (std::int32_t k = 0; k < node.count; ++k) {
        if (++work_ > kMaxExpansion || literals_.size() > kMaxExpansion) {
          throw std::invalid_argument("layout " + std::string(spec) + ": expands too far");
        }
        emit_one(node, spec);
      }
    }
  }

 private:
  void emit_one(const Node& node, std::string_view spec) {
    switch (node.kind) {
      case Node::Kind::group:
        emit(node.children, spec);
        return;
      case Node::Kind::literal:
        if (node.text.empty()) return;
        if (items_.empty() || items_.back().kind != Item::Kind::literal) {
          items_.push_back(
              Item{Item::Kind::literal, 0, 0, static_cast<std::uint32_t>(literals_.size()), 0});
        }
        literals_ += node.text;
        items_.back().length += static_cast<std::uint32_t>(node.text.size());
        return;
      case Node::Kind::slash:
        items_.push_back(Item{Item::Kind::slash, 0, 0, 0, 0});
        return;
      case Node::Kind::real:
        items_.push_back(Item{Item::Kind::real, node.width, node.decimals, 0, 0});
        ++values_;
        return;
      case Node::Kind::integer:
        items_.push_back(Item{Item::Kind::integer, node.width, 0, 0, 0});
        ++values_;
        return;
      case Node::Kind::chars:
        items_.push_back(Item{Item::Kind::chars, node.width, 0, 0, 0});
        ++values_;
        return;
    }
  }

  std::string& literals_;
  std::vector<Item>& items_;
  std::size_t& values_;
  std::size_t work_ = 0;
};

}  // namespace

Format::Format(std::string_view spec) {
  const std::vector<Node> nodes = Parser(spec).parse();
  FormatBuilder(literals_, items_, value_count_).emit(nodes, spec);
}

}  // namespace cuplo::text
