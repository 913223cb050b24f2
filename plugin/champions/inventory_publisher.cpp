#include "champions/inventory_publisher.h"

#include <utility>

#include "api/outbound_request.h"
#include "binding/binding_registry.h"
#include "champions/id_lookup.h"
#include "champions/inventory_uris.h"
#include "diagnostics/log.h"
#include "runtime/subscription_core.h"

namespace kel::champions {
namespace {

// A payload that does not convert is dropped without a word; the rest of
// the operation goes on. The core takes its own copy of what is sent, and a
// failed send is not retried.
template <typename Payload>
void Send(SubscriptionCore& plugin, std::string uri, PluginResourceEventType type, const Payload& payload) {
  BindingResult data;
  plugin.Registry().ToValue(data, payload);
  if (!data.Ok()) return;
  const PluginResourceEvent event{std::move(uri), type, std::move(data.Value())};
  (void)SendEvent(plugin, "OnJsonApiEvent", event);
}

}  // namespace

void InventoryPublisher::NotifyUpdate(const ChampionInventory& inventory, InventorySession& session) {
  if (!session.PublicationGateOpen()) {
    log::Write(log::kAlways, log::kGroupDbg, "Ignored Champion Notify.");
    return;
  }
  log::Write(log::kAlways, log::kGroupDbg, "Notifying ux of champion data.");
  const PluginResourceEventType type =
      session.dataPublished ? PluginResourceEventType::Update : PluginResourceEventType::Create;
  session.dataPublished = true;
  Send(plugin_, ChampionsUri(session.summonerId), type, inventory.champions);
  Send(plugin_, ChampionsMinimalUri(session.summonerId), type, inventory.minimalChampions);
  Send(plugin_, PlayableCountUri(session.summonerId), type, inventory.PlayableCounts());
}

void InventoryPublisher::UpdateSkinOwnership(ChampionInventory& inventory, const InventorySession& session,
                                             std::int32_t championId, std::int32_t skinOrChromaId,
                                             const CollectionsOwnership& ownership) {
  CollectionsChampion* champion = inventory.FindChampion(championId);
  if (champion == nullptr) {
    log::Write(log::kError, log::kGroupDbg, "Failed to find champion %d.", championId);
    return;
  }
  const std::uint64_t summonerId = session.summonerId;
  if (CollectionsChampionSkin* skin = FindById(champion->skins, skinOrChromaId)) {
    skin->ownership = ownership;
    Send(plugin_, ChampionsUri(summonerId), PluginResourceEventType::Update, inventory.champions);
    Send(plugin_, SkinsUri(summonerId, championId), PluginResourceEventType::Update, champion->skins);
    Send(plugin_, SkinUri(summonerId, championId, skin->id), PluginResourceEventType::Update, *skin);
    return;
  }
  for (CollectionsChampionSkin& holder : champion->skins) {
    if (CollectionsChampionChroma* chroma = FindById(holder.chromas, skinOrChromaId)) {
      chroma->ownership = ownership;
      Send(plugin_, ChampionsUri(summonerId), PluginResourceEventType::Update, inventory.champions);
      Send(plugin_, ChromasUri(summonerId, championId, holder.id), PluginResourceEventType::Update,
           holder.chromas);
      return;
    }
  }
  log::Write(log::kError, log::kGroupDbg, "Failed to find champion skin or chroma %d.", skinOrChromaId);
}

void InventoryPublisher::PublishRentalExpiry(const ChampionInventory& inventory, const InventorySession& session,
                                             const CollectionsChampion& champion) {
  Send(plugin_, ChampionUri(session.summonerId, champion.id), PluginResourceEventType::Update, champion);
  Send(plugin_, PlayableCountUri(session.summonerId), PluginResourceEventType::Update, inventory.PlayableCounts());
}

}  // namespace kel::champions
