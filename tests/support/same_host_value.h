#pragma once
// Whether two HostValues hold the same thing: kinds, counts, bytes of texts
// and blobs, keys and owns-key bytes, element by element. Pointers may differ.

#include <gtest/gtest.h>

#include "binding/host_value_abi.h"

namespace kel::testing {

::testing::AssertionResult SameHostValue(const HostValue& expected, const HostValue& actual);

}  // namespace kel::testing
