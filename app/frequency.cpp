#include "app/operations.hpp"

namespace cuplo::app {

void four_port_response(Session&, Work&, Output&) {}
void dispersion_table(Session&, Work&, Output&) {}

}  // namespace cuplo::app
