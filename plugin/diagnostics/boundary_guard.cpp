#include "diagnostics/boundary_guard.h"

#include "diagnostics/log.h"

namespace kel {

void LogEntryFailure(const char* entry, const char* subject, const char* reason) noexcept {
  try {
    if (subject != nullptr) {
      log::Write(log::kError, log::kGroupDbg, "%s %s failed: %s", entry, subject, reason);
    } else {
      log::Write(log::kError, log::kGroupDbg, "%s failed: %s", entry, reason);
    }
  } catch (...) {
    // A log that cannot take the line (out of memory) loses it.
  }
}

}  // namespace kel
