#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "runtime/runtime_records.h"

namespace kel {

// Service-proxy answers relayed by the core, matched with the requests that
// wait for them. An answer is stored under its key ("uuid", or
// "serviceName.methodName") until some arrival finds a request waiting for
// it; asynchronous answers go straight to the handler registered for their
// service and method. The runtime registers no requests or handlers itself.
//
// One mutex guards the tables and is held while a continuation or handler
// runs, so answers are handled one at a time. It is recursive: a
// continuation may register the next request or handler on its own thread.
class ServiceProxyTable {
 public:
  using Handler = std::function<void(const PluginServiceProxyResponse&)>;

  // The plug-in's short name, for the log lines.
  void SetShortName(std::string short_name);

  // "OnServiceProxyUuidEvent": keep the answer under its uuid, then fulfil.
  void OnUuidAnswer(const PluginServiceProxyResponse& answer);
  // "OnServiceProxyMethodEvent": keep it under "service.method", then fulfil.
  void OnMethodAnswer(const PluginServiceProxyResponse& answer);
  // "OnServiceProxyAsyncEvent": hand it to the handler of "service.method".
  void OnAsyncAnswer(const PluginServiceProxyResponse& answer);

  // A request waiting for the answer of that key. It is fulfilled when an
  // answer arrives, by the first stored answer (in key order) that has a
  // waiting request: one request per arrival.
  void AwaitAnswer(std::string key, Handler continuation);
  void SetAsyncHandler(std::string service_and_method, Handler handler);

  // Forgets every waiting request, handler and stored answer.
  void Clear();

 private:
  void FulfilOne();

  std::recursive_mutex mutex_;
  std::string short_name_;
  std::map<std::string, PluginServiceProxyResponse> answers_;
  std::map<std::string, Handler> waiting_;
  std::map<std::string, Handler> async_handlers_;
};

}  // namespace kel
