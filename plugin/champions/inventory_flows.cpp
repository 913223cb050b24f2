#include "champions/inventory_flows.h"

#include <utility>
#include <vector>

#include "runtime/drov_call.h"
#include "runtime/resource_listening.h"
#include "binding/binding_value.h"
#include "runtime/subscription_core.h"

namespace kel::champions {
namespace {

constexpr const char* kPreShutdownUri = "/tesselclient/pre-shutdown/begin";
constexpr const char* kLoginSessionUri = "/kel-login/v1/session";
constexpr const char* kLoyaltyUri = "/kel-loyalty/v1/status-notification";
constexpr const char* kCurrentSummonerUri = "/kel-summoner/v1/current-summoner";
constexpr const char* kDisabledSkinsUri =
    "/kel-platform-config/v1/namespaces/DisabledChampionSkins/DisabledChampionSkins";
constexpr const char* kInactiveChampionsUri =
    "/kel-platform-config/v1/namespaces/ClientSystemStates/inactiveChampionIdList";
constexpr const char* kNewPlayerMaxLevelUri =
    "/kel-platform-config/v1/namespaces/ClientSystemStates/freeToPlayChampionsForNewPlayersMaxLevel";
constexpr const char* kNewPlayerChampionsUri =
    "/kel-platform-config/v1/namespaces/ClientSystemStates/freeToPlayChampionForNewPlayersIdList";
constexpr const char* kLiveConfigurationClass =
    "com.tesselworks.platform.client.dynamic.configuration.ClientDynamicConfigurationNotification";
constexpr const char* kStoreFulfillmentClass = "com.tesselworks.platform.messaging.StoreFulfillmentNotification";
constexpr const char* kRentalUpdateClass = "com.tesselworks.platform.messaging.RentalUpdateNotification";

// A resource handler of `Target` bound to its object.
template <typename T, typename Target>
ResourceListener<T> Bind(Target& target, void (Target::*handler)(PluginResourceEventType, const T&)) {
  return [&target, handler](PluginResourceEventType type, const T& data) { (target.*handler)(type, data); };
}

template <typename Message, typename Target>
std::function<void(const Message&)> Bind(Target& target, void (Target::*handler)(const Message&)) {
  return [&target, handler](const Message& message) { (target.*handler)(message); };
}

}  // namespace

InventoryFlows::InventoryFlows(SubscriptionCore& plugin, InventoryStore& store, RetryPause retryPause)
    : plugin_(plugin),
      gameData_(plugin, store, std::move(retryPause)),
      legacyRentals_(plugin, store),
      ownership_(plugin, store, legacyRentals_),
      session_(plugin, store, ownership_),
      configuration_(plugin, store),
      storeMessages_(plugin, store, legacyRentals_) {}

void InventoryFlows::Start() {
  ListenToResource<BindingValue>(plugin_, kPreShutdownUri,
                                 [this](PluginResourceEventType, const BindingValue&) { gameData_.SignalShutdown(); });
  ListenToResource<LoginSession>(plugin_, kLoginSessionUri, Bind(session_, &SessionEvents::OnLoginSession));
  ListenToResource<BindingValue>(plugin_, kLoyaltyUri, Bind(session_, &SessionEvents::OnLoyaltyStatus));
  ListenToResource<Summoner>(plugin_, kCurrentSummonerUri, Bind(session_, &SessionEvents::OnCurrentSummoner));
  ListenToResource<BindingValue>(plugin_, kDisabledSkinsUri,
                                 Bind(configuration_, &ConfigurationEvents::OnDisabledSkins));
  ListenToResource<std::vector<std::int32_t>>(plugin_, kInactiveChampionsUri,
                                              Bind(configuration_, &ConfigurationEvents::OnInactiveChampions));
  ListenToResource<BindingValue>(plugin_, kNewPlayerMaxLevelUri,
                                 Bind(configuration_, &ConfigurationEvents::OnNewPlayerMaxLevel));
  ListenToResource<BindingValue>(plugin_, kNewPlayerChampionsUri,
                                 Bind(configuration_, &ConfigurationEvents::OnNewPlayerChampions));
  SubscribeDrovMessages<CollectionsDrovClientDynamicConfigurationNotification>(
      plugin_, kLiveConfigurationClass, Bind(configuration_, &ConfigurationEvents::OnLiveConfiguration));
  SubscribeDrovMessages<CollectionsDrovStoreFulfillmentNotification>(
      plugin_, kStoreFulfillmentClass, Bind(storeMessages_, &StoreMessages::OnStoreFulfillment));
  SubscribeDrovMessages<CollectionsDrovRentalUpdateNotification>(plugin_, kRentalUpdateClass,
                                                                 Bind(storeMessages_, &StoreMessages::OnRentalUpdate));
  gameData_.RequestLoad();
}

}  // namespace kel::champions
