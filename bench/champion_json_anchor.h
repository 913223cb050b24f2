// The anchor the champion routes are held against: the same native records
// written straight to compact JSON with RapidJSON's Writer, members in the
// byte order of their names as the plug-in writes them.
#pragma once

#include <string>
#include <vector>

#include "champions/champion_records.h"

namespace kel::bench {

std::string WriteChampionsJson(const std::vector<champions::CollectionsChampion>& champions);

}  // namespace kel::bench
