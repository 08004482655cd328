// The float functions the page's module takes from float_math.cpp instead of its C library:
// in every bit the results of the host C library the command-line tool is built against.
#pragma once

namespace cuplo::web::math {

float log10f(float x);
float coshf(float x);
float tanhf(float x);
float atanf(float x);
float sinf(float x);
float cosf(float x);
void sincosf(float x, float* sinp, float* cosp);

}  // namespace cuplo::web::math
