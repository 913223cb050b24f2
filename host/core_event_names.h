// The event names under which the core delivers what the host plays, as the
// core forms them; the host's own derivation, kept apart from the plug-in's
// so that the two are checked against each other end to end.
#pragma once

#include <string>
#include <string_view>

namespace kel::host {

// The general name every resource change is also published under.
inline constexpr std::string_view kResourceEventName = "OnJsonApiEvent";

// "OnJsonApiEvent" and the path's first three non-empty segments joined with
// "_" ("/kel-login/v1/session" -> "OnJsonApiEvent_kel-login_v1_session");
// under "kel-platform-config", the first five.
std::string ResourceEventName(std::string_view uri);

// "OnDrovEvent_" and the class name with every "." made "_".
std::string RemoteMessageEventName(std::string_view class_name);

}  // namespace kel::host
