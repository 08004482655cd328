#include "app/operations.hpp"

namespace cuplo::app {

void sensitivity_analysis(Session&, Work&, Output&) {}

}  // namespace cuplo::app
