#include "champions/champion_types.h"

#include <string>

#include "binding/binding_registry.h"
#include "champions/champion_records.h"
#include "champions/drov_wire_records.h"
#include "champions/game_data_records.h"
#include "champions/session_records.h"
#include "runtime/drov_class_names.h"

namespace kel::champions {
namespace {

// Adds the fields of Record, including those it inherits from its leading
// part, at their offsets inside Record.
template <typename Record>
class Fields {
 public:
  explicit Fields(BindingTypeBuilder builder) : builder_(builder) {}

  template <typename Field, typename Owner>
  Fields& Add(std::string_view name, Field Owner::*member) {
    builder_.AddField<Record, Field>(name, static_cast<Field Record::*>(member));
    return *this;
  }

 private:
  BindingTypeBuilder builder_;
};

template <typename Record>
Fields<Record> Public(BindingRegistry& registry, std::string_view prefix, std::string_view name,
                      const std::array<std::string, 2>& tags) {
  BindingTypeBuilder builder = registry.RegisterType<Record>(std::string(prefix) + std::string(name));
  builder.AddTags({tags[0], tags[1]});
  return Fields<Record>(builder);
}

template <typename Record>
Fields<Record> Wire(BindingRegistry& registry, DrovClassNames& classNames, std::string_view name,
                    std::string_view className) {
  BindingTypeBuilder builder = registry.RegisterType<Record>(name);
  classNames.Add(builder.Info()->typeIdentifier, className);
  return Fields<Record>(builder);
}

// The fields both full and minimal skins register, in order.
template <typename Skin>
void AddMinimalSkinFields(Fields<Skin>& fields) {
  fields.Add("championId", &Skin::championId)
      .Add("chromaPath", &Skin::chromaPath)
      .Add("id", &Skin::id)
      .Add("name", &Skin::name)
      .Add("ownership", &Skin::ownership)
      .Add("isBase", &Skin::isBase)
      .Add("disabled", &Skin::disabled)
      .Add("stillObtainable", &Skin::stillObtainable)
      .Add("lastSelected", &Skin::lastSelected)
      .Add("splashPath", &Skin::splashPath)
      .Add("tilePath", &Skin::tilePath);
}

// The fifteen registered fields of a minimal champion; the two in-memory
// free-to-play flags are left out on purpose.
template <typename Champion>
void AddMinimalChampionFields(Fields<Champion>& fields) {
  fields.Add("alias", &Champion::alias)
      .Add("banVoPath", &Champion::banVoPath)
      .Add("chooseVoPath", &Champion::chooseVoPath)
      .Add("disabledQueues", &Champion::disabledQueues)
      .Add("id", &Champion::id)
      .Add("name", &Champion::name)
      .Add("ownership", &Champion::ownership)
      .Add("purchased", &Champion::purchased)
      .Add("roles", &Champion::roles)
      .Add("squarePortraitPath", &Champion::squarePortraitPath)
      .Add("stingerSfxPath", &Champion::stingerSfxPath)
      .Add("active", &Champion::active)
      .Add("botEnabled", &Champion::botEnabled)
      .Add("freeToPlay", &Champion::freeToPlay)
      .Add("rankedPlayEnabled", &Champion::rankedPlayEnabled);
}

void RegisterCollectionsRecords(BindingRegistry& r, std::string_view prefix, const std::array<std::string, 2>& tags) {
  using Rental = CollectionsRental;
  Public<Rental>(r, prefix, "CollectionsRental", tags)
      .Add("endDate", &Rental::endDate)
      .Add("purchaseDate", &Rental::purchaseDate)
      .Add("winCountRemaining", &Rental::winCountRemaining)
      .Add("rented", &Rental::rented);
  using Ownership = CollectionsOwnership;
  Public<Ownership>(r, prefix, "CollectionsOwnership", tags)
      .Add("freeToPlayReward", &Ownership::freeToPlayReward)
      .Add("owned", &Ownership::owned)
      .Add("rental", &Ownership::rental);
  using Chroma = CollectionsChampionChroma;
  Public<Chroma>(r, prefix, "CollectionsChampionChroma", tags)
      .Add("championId", &Chroma::championId)
      .Add("chromaPath", &Chroma::chromaPath)
      .Add("id", &Chroma::id)
      .Add("name", &Chroma::name)
      .Add("ownership", &Chroma::ownership)
      .Add("disabled", &Chroma::disabled)
      .Add("stillObtainable", &Chroma::stillObtainable)
      .Add("lastSelected", &Chroma::lastSelected)
      .Add("colors", &Chroma::colors);
  using EmblemPath = CollectionsChampionSkinEmblemPath;
  Public<EmblemPath>(r, prefix, "CollectionsChampionSkinEmblemPath", tags)
      .Add("large", &EmblemPath::large)
      .Add("small", &EmblemPath::small);
  using EmblemPosition = CollectionsChampionSkinEmblemPosition;
  Public<EmblemPosition>(r, prefix, "CollectionsChampionSkinEmblemPosition", tags)
      .Add("vertical", &EmblemPosition::vertical)
      .Add("horizontal", &EmblemPosition::horizontal);
  using Emblem = CollectionsChampionSkinEmblem;
  Public<Emblem>(r, prefix, "CollectionsChampionSkinEmblem", tags)
      .Add("name", &Emblem::name)
      .Add("emblemPath", &Emblem::emblemPath)
      .Add("positions", &Emblem::positions);

  auto minimalSkin = Public<CollectionsChampionSkinMinimal>(r, prefix, "CollectionsChampionSkinMinimal", tags);
  AddMinimalSkinFields(minimalSkin);
  using Skin = CollectionsChampionSkin;
  auto skin = Public<Skin>(r, prefix, "CollectionsChampionSkin", tags);
  AddMinimalSkinFields(skin);
  skin.Add("chromas", &Skin::chromas)
      .Add("emblems", &Skin::emblems)
      .Add("uncenteredSplashPath", &Skin::uncenteredSplashPath)
      .Add("cardPath", &Skin::cardPath)
      .Add("rarityGemPath", &Skin::rarityGemPath)
      .Add("splashVideoPath", &Skin::splashVideoPath)
      .Add("skinType", &Skin::skinType)
      .Add("featuresText", &Skin::featuresText);

  using Spell = CollectionsChampionSpell;
  Public<Spell>(r, prefix, "CollectionsChampionSpell", tags)
      .Add("name", &Spell::name)
      .Add("description", &Spell::description);
  auto minimalChampion = Public<CollectionsChampionMinimal>(r, prefix, "CollectionsChampionMinimal", tags);
  AddMinimalChampionFields(minimalChampion);
  using Champion = CollectionsChampion;
  auto champion = Public<Champion>(r, prefix, "CollectionsChampion", tags);
  AddMinimalChampionFields(champion);
  champion.Add("passive", &Champion::passive).Add("skins", &Champion::skins).Add("spells", &Champion::spells);

  using Counts = CollectionsChampionPlayableCounts;
  Public<Counts>(r, prefix, "CollectionsChampionPlayableCounts", tags)
      .Add("championsOwned", &Counts::championsOwned)
      .Add("championsRented", &Counts::championsRented)
      .Add("championsFreeToPlay", &Counts::championsFreeToPlay)
      .Add("championsFreeToPlayReward", &Counts::championsFreeToPlayReward);
}

void RegisterSessionRecords(BindingRegistry& r, std::string_view prefix, const std::array<std::string, 2>& tags) {
  using Notification = PlayerNotification;
  Public<Notification>(r, prefix, "PlayerNotification", tags)
      .Add("backgroundUrl", &Notification::backgroundUrl)
      .Add("critical", &Notification::critical)
      .Add("data", &Notification::data)
      .Add("detailKey", &Notification::detailKey)
      .Add("iconUrl", &Notification::iconUrl)
      .Add("id", &Notification::id)
      .Add("source", &Notification::source)
      .Add("state", &Notification::state)
      .Add("titleKey", &Notification::titleKey)
      .Add("type", &Notification::type);
  Public<Summoner>(r, prefix, "Summoner", tags).Add("summonerLevel", &Summoner::summonerLevel);

  BindingTypeBuilder states = r.RegisterType<LoginSessionStates>(std::string(prefix) + "LoginSessionStates");
  states.AddTags({tags[0], tags[1]});
  states.AddEnumerator("IN_PROGRESS", static_cast<std::int32_t>(LoginSessionStates::InProgress))
      .AddEnumerator("ERROR", static_cast<std::int32_t>(LoginSessionStates::Error))
      .AddEnumerator("SUCCEEDED", static_cast<std::int32_t>(LoginSessionStates::Succeeded))
      .AddEnumerator("LOGGING_OUT", static_cast<std::int32_t>(LoginSessionStates::LoggingOut));
  Public<LoginSession>(r, prefix, "LoginSession", tags)
      .Add("state", &LoginSession::state)
      .Add("summonerId", &LoginSession::summonerId)
      .Add("accountId", &LoginSession::accountId)
      .Add("connected", &LoginSession::connected);
  Public<DrovDynamicClientConfig>(r, prefix, "DrovDynamicClientConfig", tags)
      .Add("DisabledChampions", &DrovDynamicClientConfig::DisabledChampions);
}

void RegisterGameDataRecords(BindingRegistry& r, std::string_view prefix, const std::array<std::string, 2>& tags) {
  Public<GameDataChampionSummary>(r, prefix, "GameDataChampionSummary", tags).Add("id", &GameDataChampionSummary::id);
  using Chroma = GameDataChampionChroma;
  Public<Chroma>(r, prefix, "GameDataChampionChroma", tags)
      .Add("id", &Chroma::id)
      .Add("colors", &Chroma::colors)
      .Add("chromaPath", &Chroma::chromaPath);
  using Skin = GameDataChampionSkin;
  Public<Skin>(r, prefix, "GameDataChampionSkin", tags)
      .Add("id", &Skin::id)
      .Add("name", &Skin::name)
      .Add("chromas", &Skin::chromas)
      .Add("emblems", &Skin::emblems)
      .Add("splashPath", &Skin::splashPath)
      .Add("uncenteredSplashPath", &Skin::uncenteredSplashPath)
      .Add("tilePath", &Skin::tilePath)
      .Add("cardPath", &Skin::cardPath)
      .Add("rarityGemPath", &Skin::rarityGemPath)
      .Add("splashVideoPath", &Skin::splashVideoPath)
      .Add("chromaPath", &Skin::chromaPath)
      .Add("skinType", &Skin::skinType)
      .Add("featuresText", &Skin::featuresText);
  using Spell = GameDataChampionSpell;
  Public<Spell>(r, prefix, "GameDataChampionSpell", tags)
      .Add("name", &Spell::name)
      .Add("description", &Spell::description);
  using Champion = GameDataChampion;
  Public<Champion>(r, prefix, "GameDataChampion", tags)
      .Add("id", &Champion::id)
      .Add("alias", &Champion::alias)
      .Add("banVoPath", &Champion::banVoPath)
      .Add("chooseVoPath", &Champion::chooseVoPath)
      .Add("name", &Champion::name)
      .Add("squarePortraitPath", &Champion::squarePortraitPath)
      .Add("stingerSfxPath", &Champion::stingerSfxPath)
      .Add("passive", &Champion::passive)
      .Add("roles", &Champion::roles)
      .Add("skins", &Champion::skins)
      .Add("spells", &Champion::spells);
}

}  // namespace

void RegisterDrovWireRecords(BindingRegistry& r, DrovClassNames& classNames) {
  using Configuration = CollectionsDrovClientDynamicConfigurationNotification;
  Wire<Configuration>(r, classNames, "CollectionsDrovClientDynamicConfigurationNotification",
                      "com.tesselworks.platform.client.dynamic.configuration.ClientDynamicConfigurationNotification")
      .Add("configs", &Configuration::configs)
      .Add("delta", &Configuration::delta);
  using Fulfillment = CollectionsDrovStoreFulfillmentNotification;
  Wire<Fulfillment>(r, classNames, "CollectionsDrovStoreFulfillmentNotification",
                    "com.tesselworks.platform.messaging.StoreFulfillmentNotification")
      .Add("inventoryType", &Fulfillment::inventoryType)
      .Add("data", &Fulfillment::data);
  using RentalUpdate = CollectionsDrovRentalUpdateNotification;
  Wire<RentalUpdate>(r, classNames, "CollectionsDrovRentalUpdateNotification",
                     "com.tesselworks.platform.messaging.RentalUpdateNotification")
      .Add("inventoryType", &RentalUpdate::inventoryType)
      .Add("data", &RentalUpdate::data);
  using Skin = CollectionsDrovChampionSkinDTO;
  Wire<Skin>(r, classNames, "CollectionsDrovChampionSkinDTO",
             "com.tesselworks.platform.catalog.champion.ChampionSkinDTO")
      .Add("endDate", &Skin::endDate)
      .Add("purchaseDate", &Skin::purchaseDate)
      .Add("winCountRemaining", &Skin::winCountRemaining)
      .Add("sources", &Skin::sources)
      .Add("championId", &Skin::championId)
      .Add("freeToPlayReward", &Skin::freeToPlayReward)
      .Add("lastSelected", &Skin::lastSelected)
      .Add("owned", &Skin::owned)
      .Add("skinId", &Skin::skinId)
      .Add("stillObtainable", &Skin::stillObtainable);
  using Champion = CollectionsDrovChampionDTO;
  Wire<Champion>(r, classNames, "CollectionsDrovChampionDTO", "com.tesselworks.platform.catalog.champion.ChampionDTO")
      .Add("endDate", &Champion::endDate)
      .Add("purchaseDate", &Champion::purchaseDate)
      .Add("winCountRemaining", &Champion::winCountRemaining)
      .Add("sources", &Champion::sources)
      .Add("active", &Champion::active)
      .Add("botEnabled", &Champion::botEnabled)
      .Add("championId", &Champion::championId)
      .Add("championSkins", &Champion::championSkins)
      .Add("freeToPlay", &Champion::freeToPlay)
      .Add("freeToPlayReward", &Champion::freeToPlayReward)
      .Add("owned", &Champion::owned)
      .Add("purchased", &Champion::purchased)
      .Add("rankedPlayEnabled", &Champion::rankedPlayEnabled);
}

void RegisterPublicRecords(BindingRegistry& registry, std::string_view camelCaseName,
                           const std::array<std::string, 2>& logGroupPath) {
  RegisterCollectionsRecords(registry, camelCaseName, logGroupPath);
  RegisterSessionRecords(registry, camelCaseName, logGroupPath);
  RegisterGameDataRecords(registry, camelCaseName, logGroupPath);
}

}  // namespace kel::champions
