#pragma once

#include <string>
#include <string_view>

namespace kel {

// The general name under which every resource event is also published.
inline constexpr std::string_view kJsonApiEventName = "OnJsonApiEvent";

// The core event that carries changes of a resource: "OnJsonApiEvent" and
// the path's first three non-empty segments, joined with "_"
// ("/kel-login/v1/session" -> "OnJsonApiEvent_kel-login_v1_session"). Under
// "kel-platform-config" the name keeps five segments, so that each
// configuration namespace and the entry below it get a name of their own,
// and deeper resources share it.
std::string ResourceEventName(std::string_view resourcePath);

// The core event that carries messages of a DROV class: "OnDrovEvent_" and
// the class name, with every "." replaced by "_".
std::string DrovEventName(std::string_view className);

}  // namespace kel
