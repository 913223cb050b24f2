// The page's copy of one summoner's inventory, kept current by applying the
// plug-in's resource events to it. No DOM here.
import { inventoryPath } from "./host_api.js";

export const STATES = [
  { key: "owned", label: "Owned" },
  { key: "rented", label: "Rented" },
  { key: "free", label: "Free to play" },
  { key: "reward", label: "Free-to-play reward" },
  { key: "locked", label: "Locked" },
];

// What the summoner may do with a champion, skin or chroma, checked in the
// order the plug-in counts playable champions: owned first, then reward,
// rental, free to play.
export function stateOf(item) {
  const ownership = item.ownership || {};
  if (ownership.owned) return "owned";
  if (ownership.freeToPlayReward) return "reward";
  if (ownership.rental && ownership.rental.rented) return "rented";
  if (item.freeToPlay) return "free";
  return "locked";
}

// "3 wins left" or "until <local time>", for a rented item.
export function rentalText(rental) {
  if (!rental) return "";
  if (rental.winCountRemaining > 0) return `${rental.winCountRemaining} win${rental.winCountRemaining === 1 ? "" : "s"} left`;
  if (rental.endDate > 0) return `until ${new Date(rental.endDate).toLocaleString(undefined, { dateStyle: "short", timeStyle: "short" })}`;
  return "";
}

const EVENT_TYPES = ["Create", "Update", "Delete"];
export const eventTypeName = (type) => (typeof type === "number" ? EVENT_TYPES[type] ?? String(type) : String(type));

export class Inventory {
  constructor(summonerId) {
    this.summonerId = summonerId;
    this.order = [];          // champion ids in the plug-in's list order
    this.byId = new Map();    // id -> champion (minimal, or full once skins are known)
    this.counts = null;       // the plug-in's playable counts
  }

  get champions() {
    return this.order.map((id) => this.byId.get(id));
  }

  // A list of minimal or full champions replaces the order; fields the list
  // does not carry (the skins of a minimal list) are kept.
  setChampions(list) {
    const next = new Map();
    for (const champion of list) next.set(champion.id, { ...this.byId.get(champion.id), ...champion });
    this.order = list.map((champion) => champion.id);
    this.byId = next;
  }

  setChampion(champion) {
    if (!this.byId.has(champion.id)) this.order.push(champion.id);
    this.byId.set(champion.id, champion);
  }

  skin(championId, skinId) {
    const champion = this.byId.get(championId);
    return champion && champion.skins ? champion.skins.find((skin) => skin.id === skinId) : undefined;
  }

  // Applies a resource event of this summoner's inventory. Returns what it
  // touched ({champions, counts, championId}) or null when the event is
  // not about this inventory.
  apply(event) {
    const prefix = inventoryPath(this.summonerId);
    if (typeof event.uri !== "string" || !event.uri.startsWith(prefix)) return null;
    if (eventTypeName(event.eventType) === "Delete") return null;
    const rest = event.uri.slice(prefix.length);
    const data = event.data;
    if (rest === "champions" || rest === "champions-minimal") {
      if (!Array.isArray(data)) return null;
      this.setChampions(data);
      return { champions: true };
    }
    if (rest === "champions-playable-count") {
      this.counts = data;
      return { counts: true };
    }
    const match = /^champions\/(-?\d+)(?:\/skins(?:\/(-?\d+)(\/chromas)?)?)?$/.exec(rest);
    if (!match) return null;
    const championId = Number(match[1]);
    const skinId = match[2] === undefined ? undefined : Number(match[2]);
    if (!rest.includes("/skins")) {
      this.setChampion(data);
    } else {
      const champion = this.byId.get(championId);
      if (!champion) return null;
      if (skinId === undefined) {
        champion.skins = data;
      } else {
        const skin = this.skin(championId, skinId);
        if (!skin) return null;
        if (match[3]) skin.chromas = data;
        else Object.assign(skin, data);
      }
    }
    return { champions: true, championId };
  }
}
