// The coupler's four-port as a Touchstone file (version 1.1, .s4p), written in pieces so that a
// long sweep streams: the head (comment lines, then the option line "# GHz S MA R 50"), one
// record of four lines per frequency (row i of S on line i, the first line led by the
// frequency), and comment lines after the data. Every number at full precision: the shortest
// text that reads back to the same 32-bit float.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "cuplo/coupler.hpp"

namespace cuplo {

// How each complex number is written: magnitude and angle, dB and angle, or real and
// imaginary parts (angles in degrees).
enum class TouchstonePairs : std::uint8_t { ma, db, ri };

// "MA", "DB" or "RI", as the option line writes it.
[[nodiscard]] const char* touchstone_name(TouchstonePairs pairs) noexcept;

// The head: each comment line after "! ", then the option line with the reference impedance.
[[nodiscard]] std::string touchstone_head(std::span<const std::string> comments,
                                          TouchstonePairs pairs, float reference_ohm);

// The nine numbers of one frequency: the frequency (GHz), then the pair of each wave a1..a4
// leaving ports 1 to 4 (the first column of S): magnitude |a| (formed from the real and
// imaginary parts in 32-bit arithmetic, as the console forms it) or its dB value, with the
// phase in degrees; or the real and imaginary parts.
[[nodiscard]] std::array<float, 9> touchstone_numbers(const FourPort& response,
                                                      TouchstonePairs pairs) noexcept;

// Appends the record of one frequency from its nine numbers: S(i, j) is the pair of wave
// ((i - 1) xor (j - 1)) + 1.
void append_touchstone_record(std::string& out, const std::array<float, 9>& numbers);

// Comment lines, "! " and the text each.
[[nodiscard]] std::string touchstone_comments(std::span<const std::string> lines);

// The shortest text that reads back to the same float ("nan", "inf", "-inf" for the values
// that are not numbers). Writes at most 16 characters at out; returns the end.
char* shortest_float(char* out, float value) noexcept;

}  // namespace cuplo
