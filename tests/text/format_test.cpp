// Layout parser: expansion of repeat groups, merging of literals, and refusal of malformed
// layouts.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "text/format.hpp"
#include "text/render.hpp"

namespace cuplo::text {
namespace {

std::string rendered(std::string_view spec, Advance advance = Advance::yes) {
  std::string out;
  render(out, Format(spec), {}, advance);
  return out;
}

TEST(Format, RendersLiteralLayouts) {
  struct Case {
    std::string_view spec;
    std::string_view expected;
  };
  const Case cases[] = {
      {"(6X,'Er =')", "      Er =\r\n"},
      {"(/,6X,3(1H-))", "\r\n      ---\r\n"},
      {"(///,16X,'x')", "\r\n\r\n\r\n                x\r\n"},
      {"('a'/'b')", "a\r\nb\r\n"},
      {"('a',//)", "a\r\n\r\n\r\n"},
      {"(2/,'a')", "\r\n\r\na\r\n"},
      {"()", "\r\n"},
      {"(6X,'Wheeler`s Impedances:')", "      Wheeler`s Impedances:\r\n"},
      {"('it''s')", "it's\r\n"},
      {"(\"say \"\"hi\"\"\")", "say \"hi\"\r\n"},
      {"('\"')", "\"\r\n"},
      {"(\"'\")", "'\r\n"},
      {"(5H(a,b),1X,1H')", "(a,b) '\r\n"},
      {"(3h  x)", "  x\r\n"},
      {"(2(1X,2('ab')))", " abab abab\r\n"},
      {"(2(2('-'),'|'),'.')", "--|--|.\r\n"},
      {"(8X,2(4X,'(In.)'),1X,3(2X,'(Ohms)'),3X,'(dB)',2(4X,'Mode'))",
       "            (In.)    (In.)   (Ohms)  (Ohms)  (Ohms)   (dB)    Mode    Mode\r\n"},
      {"(' a  ')", " a  \r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(rendered(c.spec), c.expected) << c.spec;
  EXPECT_EQ(rendered(" ( 2X ,\t'a' , 72 (1H=) ) "), "  a" + std::string(72, '=') + "\r\n");
}

TEST(Format, NonAdvancingLeavesTheRecordOpen) {
  EXPECT_EQ(rendered("(/,6X,'Q = ')", Advance::no), "\r\n      Q = ");
  EXPECT_EQ(rendered("('a',/)", Advance::no), "a\r\n");
}

TEST(Format, MergesLiteralsAndExpandsGroups) {
  struct Case {
    std::string_view spec;
    std::size_t items;
    std::size_t values;
  };
  const Case cases[] = {
      {"(6X,72(1H-))", 1, 0},
      {"(/,6X,72(1H-))", 2, 0},
      {"(8X,2(4X,'(In.)'),1X,3(2X,'(Ohms)'))", 1, 0},
      {"(10X,'Er =',F6.2,13X,'Impedance Analysis',12X,'H =',F7.4,'\"')", 5, 2},
      {"(1X,2(F8.2),3(F8.3))", 6, 5},
      {"(2(I2,1X),A20)", 5, 3},
      {"(3F4.1,2I3)", 5, 5},
      {"(2(2(I1)))", 4, 4},
  };
  for (const Case& c : cases) {
    const Format format(c.spec);
    EXPECT_EQ(format.items().size(), c.items) << c.spec;
    EXPECT_EQ(format.value_count(), c.values) << c.spec;
  }
  const Format merged("(6X,72(1H-))");
  EXPECT_EQ(merged.literal(merged.items()[0]), std::string(6, ' ') + std::string(72, '-'));
}

TEST(Format, RefusesMalformedLayouts) {
  const std::string_view cases[] = {
      "",
      "6X",
      "(6X",
      "(6X))",
      "(6X) x",
      "(6X,)",
      "(,6X)",
      "(6X,,1X)",
      "(6X 'a')",
      "('a' 1X)",
      "(F6)",
      "(F6.)",
      "(F.2)",
      "(F0.0)",
      "(I)",
      "(I0)",
      "(A)",
      "(X)",
      "(0X)",
      "(3H-)",
      "(1H)",
      "('abc)",
      "(\"abc')",
      "(2'a')",
      "(0(1X))",
      "(2())",
      "(2(1X)",
      "(Q)",
      "(E12.4)",
      "(1X;2X)",
      "(I2 1X)",
      "(1000000X)",
      "(999999(999999(1X)))",
      "(9999(9999('')))",
  };
  for (const std::string_view spec : cases) {
    EXPECT_THROW(Format{spec}, std::invalid_argument) << spec;
  }
}

}  // namespace
}  // namespace cuplo::text
