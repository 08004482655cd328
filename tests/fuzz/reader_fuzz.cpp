// Fuzz target: the answer reader, (F13.0) and (A20), on arbitrary bytes. Checked: a value read
// is never NaN; an accepted field read again on its own gives the same value; (A20) always
// gives 20 characters; the console reader ends any stream with one of its two faults.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "check.hpp"
#include "text/fatal.hpp"
#include "text/reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cuplo::text;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string_view line = bytes.substr(0, bytes.find('\n'));
  if (const std::optional<float> value = parse_real(line)) {
    check(!std::isnan(*value), "a value read is NaN");
    const std::optional<float> again = parse_real(line.substr(0, kRealField));
    check(again && std::memcmp(&*again, &*value, sizeof(float)) == 0, "the field reads otherwise");
  }
  check(parse_text(line).size() == kTextField, "(A20) is not 20 characters");

  std::istringstream in{std::string(bytes)};
  Reader reader(in, "unit 5 (console input)");
  try {
    for (;;) reader.real();
  } catch (const FatalError& e) {
    check(e.fault() == "End of file" || e.fault() == "Bad value during read", "unknown fault");
  }
  return 0;
}
