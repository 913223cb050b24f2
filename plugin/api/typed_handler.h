#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "api/failure.h"
#include "api/function_table.h"
#include "api/maybe_type.h"
#include "binding/binding_registry.h"

namespace kel {

// How a route declares one of its parameters; the type comes from the
// handler's signature.
struct ParameterSpec {
  std::string name;
  ParameterLocation location = ParameterLocation::kAny;
  bool optional = false;
  std::string description;
};

// The route itself: method, template and what the core is told about it.
struct RouteSpec {
  RequestMethod method = RequestMethod::kGet;
  std::string path_template;
  std::string description;
  std::vector<std::string> tags;
};

// What a handler answers with: its value, or a shared immutable one (a
// snapshot the handler took under its lock, to be written after it is
// released). The route describes and writes the value pointed to.
template <typename R>
struct RouteResult {
  using Type = R;
  static const R& Of(const R& result) { return result; }
};
template <typename T>
struct RouteResult<std::shared_ptr<const T>> {
  using Type = T;
  static const T& Of(const std::shared_ptr<const T>& result) { return *result; }
};

// Adapts a native function `MaybeType<Failure, R>(Args...)` to a
// FunctionHandler: the argument slots are assigned to the native parameters
// through the registry's conversions, and the result is converted back. A
// Failure becomes the call's error text with its code as the status.
template <typename R, typename... Args>
class TypedFunctionHandler final : public FunctionHandler {
 public:
  using Function = std::function<MaybeType<Failure, R>(Args...)>;

  TypedFunctionHandler(const BindingRegistry& registry, std::vector<std::string> names, std::vector<bool> optional,
                       Function function)
      : registry_(registry), names_(std::move(names)), optional_(std::move(optional)), function_(std::move(function)) {}

  std::unique_ptr<CallState> Prepare(CallResult& call, std::span<BindingValue> arguments, uint32_t) override {
    auto state = std::make_unique<State>();
    AssignAll(call, arguments, *state, std::index_sequence_for<Args...>());
    return state;
  }

  void Run(CallResult& call, const RequestInfo*, CallState& state, uint32_t) override {
    MaybeType<Failure, R> outcome = std::apply(function_, static_cast<State&>(state).arguments);
    if (outcome.IsFailure()) {
      const Failure& failure = outcome.GetFailure();
      call.SetFailure(failure.Code() > 0 ? static_cast<uint32_t>(failure.Code()) : kStatusInternalError,
                      failure.Message());
      return;
    }
    call.SetWrittenResult(RouteResult<R>::Of(outcome.Value()), registry_);
  }

 private:
  struct State final : CallState {
    std::tuple<std::remove_cvref_t<Args>...> arguments;
  };

  template <size_t... I>
  void AssignAll(CallResult& call, std::span<BindingValue> arguments, State& state, std::index_sequence<I...>) {
    // An optional parameter that the request left out keeps its default.
    ((call.result.Ok() && !(optional_[I] && arguments[I].IsEmpty())
          ? registry_.Assign(call.result, std::get<I>(state.arguments), arguments[I], names_[I])
          : void()),
     ...);
  }

  const BindingRegistry& registry_;
  std::vector<std::string> names_;
  std::vector<bool> optional_;
  Function function_;
};

// Registers a route whose handler is a native function; one ParameterSpec
// per handler argument, in order. Call during RegisterRoutes:
//
//   RegisterRoute<CollectionsChampion, uint64_t, int32_t>(
//       table, {RequestMethod::kGet, "/kel-champions/v1/inventories/{summonerId}/champions/{championId}"},
//       {{{"summonerId", ParameterLocation::kPath}, {"championId", ParameterLocation::kPath}}},
//       [this](uint64_t summoner, int32_t champion) { return GetChampion(summoner, champion); });
template <typename R, typename... Args>
const FunctionRecord& RegisterRoute(FunctionTable& table, RouteSpec route,
                                    std::array<ParameterSpec, sizeof...(Args)> parameters,
                                    std::type_identity_t<std::function<MaybeType<Failure, R>(Args...)>> function) {
  const BindingRegistry& registry = table.Registry();
  const BindingTypeId types[] = {BindingTypeIdOf<std::remove_cvref_t<Args>>(registry)..., BindingTypeId{}};
  FunctionDefinition definition;
  definition.method = route.method;
  definition.path_template = std::move(route.path_template);
  definition.description = std::move(route.description);
  definition.tags = std::move(route.tags);
  definition.result_type = BindingTypeIdOf<typename RouteResult<R>::Type>(registry);
  std::vector<std::string> names;
  std::vector<bool> optional;
  for (size_t i = 0; i < parameters.size(); ++i) {
    names.push_back(parameters[i].name);
    optional.push_back(parameters[i].optional);
    definition.parameters.push_back({std::move(parameters[i].name), types[i], parameters[i].location,
                                     parameters[i].optional, std::move(parameters[i].description)});
  }
  definition.handler = std::make_unique<TypedFunctionHandler<R, Args...>>(registry, std::move(names),
                                                                          std::move(optional), std::move(function));
  return table.Register(std::move(definition));
}

}  // namespace kel
