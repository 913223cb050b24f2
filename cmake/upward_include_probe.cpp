// Compiled as part of the api layer by the layering test, which expects this
// include to fail: runtime/ sits above api/.
#include "runtime/subscription_core.h"
