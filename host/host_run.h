// The default run of kel-host: start the plug-in, serve it, log the default
// summoner in, show the loading progress, and take everything down in order
// on SIGINT or SIGTERM.
#pragma once

#include "host/host_options.h"

namespace kel::host {

// Returns the process's exit status.
int RunHost(const HostOptions& options);

}  // namespace kel::host
