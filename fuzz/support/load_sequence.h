// The plug-in's loads as a client start drives them: started, its game
// data and session fetched, the post-login check run (the ownership load),
// then a loyalty change (a second ownership load through the relay). Every
// request goes to whatever answers the rig's core.
#pragma once

#include "support/plugin_rig.h"

namespace kel::fuzz {

void RunLoadSequence(PluginRig& rig);

}  // namespace kel::fuzz
