#include "runtime/service_proxy_table.h"

#include <utility>

#include "diagnostics/log.h"

namespace kel {
namespace {

std::string MethodKey(const PluginServiceProxyResponse& answer) { return answer.serviceName + "." + answer.methodName; }

}  // namespace

void ServiceProxyTable::SetShortName(std::string short_name) {
  std::lock_guard lock(mutex_);
  short_name_ = std::move(short_name);
}

void ServiceProxyTable::OnUuidAnswer(const PluginServiceProxyResponse& answer) {
  std::lock_guard lock(mutex_);
  answers_.insert_or_assign(answer.uuid, answer);
  FulfilOne();
}

void ServiceProxyTable::OnMethodAnswer(const PluginServiceProxyResponse& answer) {
  std::lock_guard lock(mutex_);
  answers_.insert_or_assign(MethodKey(answer), answer);
  FulfilOne();
}

void ServiceProxyTable::OnAsyncAnswer(const PluginServiceProxyResponse& answer) {
  std::lock_guard lock(mutex_);
  const std::string key = MethodKey(answer);
  const auto handler = async_handlers_.find(key);
  if (handler == async_handlers_.end()) {
    log::Write(log::kError, log::kGroupDbg, "%s: Could not find registered handler for async service proxy event %s",
               short_name_.c_str(), key.c_str());
    return;
  }
  const Handler call = handler->second;  // the handler may replace itself
  call(answer);
}

void ServiceProxyTable::AwaitAnswer(std::string key, Handler continuation) {
  std::lock_guard lock(mutex_);
  waiting_.insert_or_assign(std::move(key), std::move(continuation));
}

void ServiceProxyTable::SetAsyncHandler(std::string service_and_method, Handler handler) {
  std::lock_guard lock(mutex_);
  async_handlers_.insert_or_assign(std::move(service_and_method), std::move(handler));
}

void ServiceProxyTable::Clear() {
  std::lock_guard lock(mutex_);
  waiting_.clear();
  async_handlers_.clear();
  answers_.clear();
}

void ServiceProxyTable::FulfilOne() {
  for (auto answer = answers_.begin(); answer != answers_.end(); ++answer) {
    const auto request = waiting_.find(answer->first);
    if (request == waiting_.end()) continue;
    // Both entries leave the tables before the continuation runs, so that
    // it may register requests of its own.
    const std::string key = answer->first;
    const PluginServiceProxyResponse fulfilled = std::move(answer->second);
    const Handler continuation = std::move(request->second);
    answers_.erase(answer);
    waiting_.erase(request);
    continuation(fulfilled);
    log::Write(log::kAlways, log::kGroupDbg, "%s: Fulfilled service proxy request: %s", short_name_.c_str(),
               key.c_str());
    return;
  }
}

}  // namespace kel
