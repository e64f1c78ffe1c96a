#include "app/application.hpp"

#include "core/log.hpp"

namespace qv {
int programEntry() {
  logLine("Reached end of program");
  return 0;
}
}  // namespace qv
