#include "scenes/input_state.hpp"

namespace qv {

InputState& input() {
  static InputState s;
  return s;
}

}  // namespace qv
