#pragma once
// Registers every record of the champion inventory with the type registry:
// first the remote service's wire records, each with its wire class name,
// then the public records. A nested record is registered before the records
// that hold it, so its type info is found when they add the field.

#include <array>
#include <string>
#include <string_view>

namespace kel {
class BindingRegistry;
class DrovClassNames;
}  // namespace kel

namespace kel::champions {

// The wire records carry no prefix and no tags; their class names are
// entered in `classNames`.
void RegisterDrovWireRecords(BindingRegistry& registry, DrovClassNames& classNames);

// Public records are named `camelCaseName` + record name ("KelChampions"
// "CollectionsChampion") and tagged with the log group path.
void RegisterPublicRecords(BindingRegistry& registry, std::string_view camelCaseName,
                           const std::array<std::string, 2>& logGroupPath);

}  // namespace kel::champions
