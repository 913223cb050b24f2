#include "diagnostics/log_groups.h"

#include <array>
#include <cstring>
#include <mutex>

namespace kel::log {

namespace {

struct GroupTable {
  // Registration is rare and may race with itself (two threads registering
  // the same new code must get the same bit), so one mutex guards it all.
  std::mutex mutex;
  std::array<std::array<char, 4>, 64> codes{{{"DBG"}, {"GEN"}, {"XTR"}, {"PRF"}, {"MEM"}, {"DSK"}, {"NET"}, {"TST"}}};
  size_t count = 8;
};

GroupTable& Groups() {
  static GroupTable table;
  return table;
}

}  // namespace

uint64_t RegisterGroup(const char* code) {
  if (!code || !*code) return 0;
  std::array<char, 4> key{};
  std::strncpy(key.data(), code, 3);
  GroupTable& table = Groups();
  std::lock_guard lock(table.mutex);
  for (size_t index = 0; index < table.count; ++index) {
    if (table.codes[index] == key) return uint64_t{1} << index;
  }
  if (table.count >= table.codes.size()) return 0;
  table.codes[table.count] = key;
  return uint64_t{1} << table.count++;
}

std::string GroupsToText(uint64_t groups) {
  GroupTable& table = Groups();
  std::lock_guard lock(table.mutex);
  std::string text;
  for (size_t index = 0; index < table.count; ++index) {
    if (!(groups & (uint64_t{1} << index))) continue;
    if (!text.empty()) text += ';';
    text += table.codes[index].data();
  }
  return text;
}

}  // namespace kel::log
