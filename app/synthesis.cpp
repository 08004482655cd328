#include "app/operations.hpp"

namespace cuplo::app {

void static_synthesis(Session&, Work&, Output&) {}
void dispersive_synthesis(Session&, Work&, Output&) {}

}  // namespace cuplo::app
