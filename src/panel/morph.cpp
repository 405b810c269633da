#include "panel/morph.h"

namespace orv {

// The style morph is not animated yet: requests are accepted and ignored.
void startMorph(App&, int) {}

void morphTick(App&) {}

}  // namespace orv
