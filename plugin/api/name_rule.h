// Camel-case names built from paths and method names:
//   ApplyNameRule("", "kel-champions") == "KelChampions"
//   ApplyNameRule("GET", "/kel-champions/v1/inventories/{summonerId}/champions")
//       == "GetKelChampionsV1InventoriesBySummonerIdChampions"
#pragma once

#include <string>
#include <string_view>

namespace kel {

// A non-empty method contributes its first character, the rest in lower
// case, and "/". Then, walking method part and text: "!", "+", "-", ".",
// "/" and "_" are dropped and capitalise the next character, "{" becomes
// "By" and capitalises the next, "}" is dropped; the first character is
// capitalised too.
std::string ApplyNameRule(std::string_view method, std::string_view text);

}  // namespace kel
