// Floating-point conversions of <charconv> for every standard library the coupler is built
// with. Where the library has them (__cpp_lib_to_chars) these are the standard's own calls;
// where it lacks them (the C++ library of the WebAssembly build has integer conversions
// only), the portable forms below give the same characters and the same values from printf
// and strtod, which are exact there.
#pragma once

#include <charconv>

namespace cuplo::text {

// std::to_chars(first, last, value): the shortest text that reads back to value, in fixed or
// scientific notation, whichever is shorter (fixed on a tie).
std::to_chars_result to_chars(char* first, char* last, float value);
// std::to_chars(first, last, value, format): the shortest text in that notation.
std::to_chars_result to_chars(char* first, char* last, float value, std::chars_format format);
// std::to_chars(first, last, value, format, precision): as printf's %.*f or %.*e.
std::to_chars_result to_chars(char* first, char* last, float value, std::chars_format format,
                              int precision);
std::to_chars_result to_chars(char* first, char* last, double value, std::chars_format format,
                              int precision);
// std::to_chars(first, last, value) of a double: the shortest text that reads back to it.
std::to_chars_result to_chars(char* first, char* last, double value);
// std::from_chars(first, last, value) in the general format: an optional '-', then decimal
// digits with an optional point and exponent, or inf, infinity or nan. A value beyond the
// float range (or a nonzero one that rounds to zero) is result_out_of_range, value untouched.
std::from_chars_result from_chars(const char* first, const char* last, float& value);
std::from_chars_result from_chars(const char* first, const char* last, double& value);

// The portable forms, built everywhere so that they can be checked against the standard's.
namespace portable {
std::to_chars_result to_chars(char* first, char* last, float value);
std::to_chars_result to_chars(char* first, char* last, float value, std::chars_format format);
std::to_chars_result to_chars(char* first, char* last, double value, std::chars_format format,
                              int precision);
std::from_chars_result from_chars(const char* first, const char* last, float& value);
std::to_chars_result to_chars(char* first, char* last, double value);
std::from_chars_result from_chars(const char* first, const char* last, double& value);
}  // namespace portable

}  // namespace cuplo::text
