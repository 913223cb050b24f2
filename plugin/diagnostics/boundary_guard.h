// The one way in from the core. The core is C: nothing may unwind into it.
// Every function it calls (the export, Initialize, Shutdown, GetMemoryStats,
// invoke, event delivery, the task trampoline) runs its body through
// GuardEntry, which catches whatever is thrown, logs it under the entry's
// name and returns the entry's fallback instead.
#pragma once

#include <exception>
#include <type_traits>

namespace kel {

// The reason given for a throw that is no std::exception.
inline constexpr const char* kUnknownExceptionReason = "Unhandled exception";

// Writes "<entry>[ <subject>] failed: <reason>" at error level (group DBG).
// A log that cannot take the line drops it; this never throws.
void LogEntryFailure(const char* entry, const char* subject, const char* reason) noexcept;

// Runs body() and returns its value. When it throws, the failure is logged
// and fallback(reason) is the result, `reason` being what() of the
// exception or kUnknownExceptionReason; it lives only during the call. A
// fallback that throws as well is logged too, and the result is then a
// value-initialised one. `subject` (may be null) names what the entry was
// about, an event name for instance.
template <typename Body, typename Fallback>
auto GuardEntry(const char* entry, const char* subject, Body&& body, Fallback&& fallback) noexcept
    -> std::invoke_result_t<Body&> {
  using Result = std::invoke_result_t<Body&>;
  const auto recover = [&](const char* reason) noexcept -> Result {
    LogEntryFailure(entry, subject, reason);
    try {
      return fallback(reason);
    } catch (...) {
      LogEntryFailure(entry, subject, "its fallback failed as well");
      if constexpr (!std::is_void_v<Result>) return Result{};
    }
  };
  try {
    return body();
  } catch (const std::exception& error) {
    return recover(error.what());
  } catch (...) {
    return recover(kUnknownExceptionReason);
  }
}

// For an entry whose fallback is to do nothing more (or to return a
// value-initialised result).
template <typename Body>
auto GuardEntry(const char* entry, const char* subject, Body&& body) noexcept -> std::invoke_result_t<Body&> {
  using Result = std::invoke_result_t<Body&>;
  return GuardEntry(entry, subject, body, [](const char*) -> Result {
    if constexpr (!std::is_void_v<Result>) return Result{};
  });
}

}  // namespace kel
