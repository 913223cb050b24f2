#include "champions/inventory_publisher.h"

#include <memory>
#include <utility>
#include <vector>

#include "binding/binding_registry.h"
#include "champions/id_lookup.h"
#include "champions/inventory_uris.h"
#include "champions/published_event.h"
#include "diagnostics/log.h"
#include "runtime/subscription_core.h"

namespace kel::champions {

void InventoryPublisher::Number(PendingPublication& publication) {
  if (publication.sequence != 0) return;
  std::lock_guard<std::mutex> lock(turnMutex_);
  publication.sequence = ++numbered_;
}

void InventoryPublisher::NotifyUpdate(const ChampionInventory& inventory, InventorySession& session,
                                      PendingPublication& out) {
  if (!session.PublicationGateOpen()) {
    log::Write(log::kAlways, log::kGroupDbg, "Ignored Champion Notify.");
    return;
  }
  log::Write(log::kAlways, log::kGroupDbg, "Notifying ux of champion data.");
  const PluginResourceEventType type =
      session.dataPublished ? PluginResourceEventType::Update : PluginResourceEventType::Create;
  session.dataPublished = true;
  Number(out);
  out.Add(ChampionsUri(session.summonerId), type, inventory.champions.Share());
  out.Add(ChampionsMinimalUri(session.summonerId), type, inventory.minimalChampions.Share());
  out.Add(PlayableCountUri(session.summonerId), type, inventory.PlayableCounts());
}

void InventoryPublisher::UpdateSkinOwnership(ChampionInventory& inventory, const InventorySession& session,
                                             std::int32_t championId, std::int32_t skinOrChromaId,
                                             const CollectionsOwnership& ownership, PendingPublication& out) {
  CollectionsChampion* champion = inventory.EditChampion(championId);
  if (champion == nullptr) {
    log::Write(log::kError, log::kGroupDbg, "Failed to find champion %d.", championId);
    return;
  }
  const std::uint64_t summonerId = session.summonerId;
  if (CollectionsChampionSkin* skin = FindById(champion->skins, skinOrChromaId)) {
    skin->ownership = ownership;
    Number(out);
    out.Add(ChampionsUri(summonerId), PluginResourceEventType::Update, inventory.champions.Share());
    out.Add(SkinsUri(summonerId, championId), PluginResourceEventType::Update, champion->skins);
    out.Add(SkinUri(summonerId, championId, skin->id), PluginResourceEventType::Update, *skin);
    return;
  }
  for (CollectionsChampionSkin& holder : champion->skins) {
    if (CollectionsChampionChroma* chroma = FindById(holder.chromas, skinOrChromaId)) {
      chroma->ownership = ownership;
      Number(out);
      out.Add(ChampionsUri(summonerId), PluginResourceEventType::Update, inventory.champions.Share());
      out.Add(ChromasUri(summonerId, championId, holder.id), PluginResourceEventType::Update, holder.chromas);
      return;
    }
  }
  log::Write(log::kError, log::kGroupDbg, "Failed to find champion skin or chroma %d.", skinOrChromaId);
}

void InventoryPublisher::PublishRentalExpiry(const ChampionInventory& inventory, const InventorySession& session,
                                             const CollectionsChampion& champion, PendingPublication& out) {
  Number(out);
  out.Add(ChampionUri(session.summonerId, champion.id), PluginResourceEventType::Update, champion);
  out.Add(PlayableCountUri(session.summonerId), PluginResourceEventType::Update, inventory.PlayableCounts());
}

// The payloads are written before the turn comes, so a change waits for the
// earlier ones only to call the core. A payload that does not convert (or
// whose writing runs out of memory) is dropped without a word; the rest goes
// on. The core takes its own copy of what is sent, and a failed send is not
// retried. Nothing escapes: Send runs in the Access's destructor, and a
// numbered publication that never passed its turn would stop every later one.
void InventoryPublisher::Send(const PendingPublication& publication) noexcept {
  if (publication.sequence == 0) return;
  std::vector<std::unique_ptr<WrittenEvent>> written;
  try {
    written.reserve(publication.Events().size());
    for (const PendingPublication::Event& event : publication.Events()) {
      written.push_back(WriteResourceEvent(plugin_.Registry(), event));
    }
  } catch (...) {
    log::Write(log::kError, log::kGroupDbg, "Failed to write champion events.");
  }
  {
    std::unique_lock<std::mutex> lock(turnMutex_);
    turn_.wait(lock, [&] { return sent_ + 1 == publication.sequence; });
  }
  try {
    for (const std::unique_ptr<WrittenEvent>& event : written) {
      if (event) PublishResourceEvent(plugin_, "OnJsonApiEvent", *event);
    }
  } catch (...) {
    log::Write(log::kError, log::kGroupDbg, "Failed to publish champion events.");
  }
  {
    std::lock_guard<std::mutex> lock(turnMutex_);
    sent_ = publication.sequence;
  }
  turn_.notify_all();
}

}  // namespace kel::champions
