#include "panel/keyboard.h"

namespace orv {

// No keyboard commands yet.
void handleKey(App&, unsigned) {}

}  // namespace orv
