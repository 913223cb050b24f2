#include "runtime/plugin_log_target.h"

namespace kel {

bool PluginLogTarget::Write(const log::LogRecord& record) {
  host_table_->write_log(host_table_, record.level, record.message);
  return true;
}

}  // namespace kel
