// Building the page's pieces from inventory records. Texts from the
// records only ever become text nodes, never markup.
import { STATES, eventTypeName, rentalText, stateOf } from "./inventory.js";

export function h(tag, attributes = {}, ...children) {
  const element = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (value === undefined || value === null || value === false) continue;
    if (name.startsWith("on")) element.addEventListener(name.slice(2), value);
    else element.setAttribute(name, value === true ? "" : value);
  }
  for (const child of children.flat()) {
    if (child !== undefined && child !== null && child !== false) element.append(child);
  }
  return element;
}

const stateLabel = (key) => STATES.find((state) => state.key === key).label;

function stateBadge(item) {
  const state = stateOf(item);
  const rental = state === "rented" ? rentalText(item.ownership.rental) : "";
  return h("span", { class: "state" }, h("span", { class: `badge ${state}` }, stateLabel(state)),
    rental && h("span", { class: "rental" }, ` ${rental}`));
}

// The portraits themselves are not served here: a badge with the initials
// stands in; the detail view names the portrait's path.
function portrait(champion, size) {
  const initials = (champion.name || String(champion.id)).replace(/[^\p{L}\p{N} ]/gu, "").slice(0, 2);
  return h("span", { class: `portrait ${size}`, style: `--hue: ${(champion.id * 47) % 360}` }, initials);
}

export function championTile(champion, selected, onSelect) {
  const queues = champion.disabledQueues || [];
  return h("button", {
    class: `tile${champion.active === false ? " inactive" : ""}${selected ? " selected" : ""}`,
    "data-champion-id": champion.id,
    "data-state": stateOf(champion),
    onclick: () => onSelect(champion.id),
  },
  portrait(champion, "small"),
  h("span", { class: "name" }, champion.name || `#${champion.id}`),
  h("span", { class: "roles" }, (champion.roles || []).join(", ")),
  stateBadge(champion),
  queues.length > 0 && h("span", { class: "queues" }, `Disabled in ${queues.join(", ")}`));
}

export function counts(inventory) {
  const c = inventory.counts;
  const entries = [["Champions", inventory.order.length, "champion-count"]];
  if (c) {
    entries.push(["Owned", c.championsOwned, "count-owned"], ["Rented", c.championsRented, "count-rented"],
      ["Free to play", c.championsFreeToPlay, "count-free"],
      ["Free-to-play reward", c.championsFreeToPlayReward, "count-reward"],
      ["Playable", c.championsOwned + c.championsRented + c.championsFreeToPlay + c.championsFreeToPlayReward,
        "count-playable"]);
  }
  return entries.map(([label, value, id]) => h("div", {}, h("dt", {}, label), h("dd", { id }, String(value))));
}

// Chromas take the store and rental controls like skins do.
function chromaLine(chroma, selected, onSelect) {
  const colors = chroma.colors && chroma.colors.length > 0 ? chroma.colors : ["transparent"];
  return h("li", {
    class: `chroma${chroma.disabled ? " disabled" : ""}${selected ? " selected" : ""}`,
    "data-chroma-id": chroma.id,
    "data-state": stateOf(chroma),
    onclick: (event) => {
      event.stopPropagation();
      onSelect(chroma.id);
    },
  },
    h("span", { class: "swatches" }, colors.map((color) => h("span", { class: "swatch", style: `background: ${cssColor(color)}`, title: color }))),
    h("span", {}, `#${chroma.id}`), stateBadge(chroma), chroma.disabled && h("span", { class: "flag" }, "disabled"));
}

// Colour texts come from game data; only plain colour notations reach CSS.
function cssColor(text) {
  return /^(#[0-9a-f]{3,8}|[a-z]+|rgba?\([\d\s.,%]+\))$/i.test(text) ? text : "transparent";
}

export function detail(champion, selectedSkinId, onSelectSkin) {
  const skins = champion.skins;
  return [
    h("div", { class: "detail-head" }, portrait(champion, "large"),
      h("div", {},
        h("h2", {}, champion.name || `#${champion.id}`),
        h("p", {}, `id ${champion.id}`, champion.alias ? ` · ${champion.alias}` : "", " · ", (champion.roles || []).join(", ")),
        h("p", {}, stateBadge(champion), champion.active === false && h("span", { class: "flag" }, "inactive")),
        (champion.disabledQueues || []).length > 0 && h("p", { class: "queues" }, `Disabled in ${champion.disabledQueues.join(", ")}`),
        h("p", { class: "path" }, champion.squarePortraitPath || "no portrait path"))),
    skins === undefined
      ? h("p", { class: "hint" }, "Loading skins…")
      : h("ol", { class: "skins" }, skins.map((skin) =>
        h("li", {
          class: `skin${skin.disabled ? " disabled" : ""}${skin.id === selectedSkinId ? " selected" : ""}`,
          "data-skin-id": skin.id,
          "data-state": stateOf(skin),
          "data-base": skin.isBase,
          onclick: () => onSelectSkin(skin.id),
        },
        h("div", { class: "skin-line" },
          h("span", { class: "name" }, skin.name || `#${skin.id}`),
          skin.isBase && h("span", { class: "flag base" }, "base"),
          h("span", { class: "id" }, `#${skin.id}`),
          stateBadge(skin),
          skin.disabled && h("span", { class: "flag" }, "disabled")),
        (skin.chromas || []).length > 0 && h("ul", { class: "chromas" },
          skin.chromas.map((chroma) => chromaLine(chroma, chroma.id === selectedSkinId, onSelectSkin)))))),
  ];
}

export function feedEntry(event, time) {
  return h("li", {},
    h("time", {}, time.toLocaleTimeString(undefined, { hour12: false }) + "." + String(time.getMilliseconds()).padStart(3, "0")),
    h("span", { class: "type" }, eventTypeName(event.eventType)),
    h("span", { class: "event-name" }, event.name || ""),
    h("span", { class: "uri" }, event.uri || ""));
}
