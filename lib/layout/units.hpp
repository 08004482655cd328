// Grid units as text: the one place where the drawing's integer coordinates become decimal
// numbers of millimetres or micrometres, exactly, with no trailing zeros.
#pragma once

#include <cstdint>
#include <string>

namespace cuplo::layout {

std::string millimetres(std::int64_t units, std::int32_t grid_nm);
std::string micrometres(std::int64_t units, std::int32_t grid_nm);

}  // namespace cuplo::layout
