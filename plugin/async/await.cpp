#include "async/await.h"

#include "diagnostics/fatal_assertion.h"
#include "diagnostics/positional_format.h"

namespace kel {

std::string FutureWaitLabel(std::string_view value_type_name) {
  return FormatMessage("Wait: future<%1>", value_type_name);
}

void ReportFutureWithoutState() { log::FatalAssertion("ALE-6D828C10", nullptr, nullptr, 0, nullptr); }

}  // namespace kel
