// The live inventory page: loads the logged-in summoner's inventory from the
// plug-in's routes, keeps it current from the host's event stream, and runs
// scenarios through the control API.
import {
  NEW_PLAYER_LEVEL_URI, followEvents, inventoryPath, requestJson, resourcePath,
} from "./host_api.js";
import { Inventory, STATES, stateOf } from "./inventory.js";
import * as view from "./view.js";

const FEED_LENGTH = 60;
const STATUS_POLL_MS = 2000;

const page = {
  inventory: null,       // the logged-in summoner's inventory; null when nobody is logged in
  waiting: "",           // why the inventory is empty ("not yet" answers), or ""
  stale: false,          // events may have been missed: read everything again
  pending: null,         // events that arrive while the inventory loads, applied after it
  status: null,          // the host's last /host/v1/status answer
  hostDown: false,
  streaming: false,
  selectedChampion: null,
  selectedSkin: null,
  shown: new Set([...STATES.map((state) => state.key), "inactive"]),
  search: "",
};

const $ = (id) => document.getElementById(id);

// ---- loading --------------------------------------------------------------

async function loadInventory(summonerId) {
  const inventory = new Inventory(summonerId);
  page.pending = [];
  try {
    const [list, counts] = await Promise.all([
      requestJson("GET", inventoryPath(summonerId, "champions-minimal")),
      requestJson("GET", inventoryPath(summonerId, "champions-playable-count")),
    ]);
    inventory.setChampions(list);
    inventory.counts = counts;
    page.waiting = "";
  } catch (error) {
    // The last inventory stays on show while the host is away.
    if (error.status === 0) {
      page.pending = null;
      throw error;
    }
    // 404 until the plug-in has published; its create events fill it in.
    page.waiting = error.message;
  }
  for (const event of page.pending) inventory.apply(event);
  page.pending = null;
  if (inventory.order.length > 0) page.waiting = "";
  page.inventory = inventory;
  if (!inventory.byId.has(page.selectedChampion)) selectChampion(null);
  else loadDetail();
  render();
}

async function loadDetail() {
  const inventory = page.inventory;
  const id = page.selectedChampion;
  if (!inventory || id === null || inventory.byId.get(id).skins !== undefined) return;
  try {
    inventory.setChampion(await requestJson("GET", inventoryPath(inventory.summonerId, `champions/${id}`)));
  } catch (error) {
    say(error.message);
  }
  render();
}

let refreshing = null;

// One status read (and inventory load) at a time, however many ask.
function refreshStatus() {
  refreshing ??= readStatus().finally(() => {
    refreshing = null;
  });
  return refreshing;
}

async function readStatus() {
  try {
    page.status = await requestJson("GET", "/host/v1/status");
    page.hostDown = false;
    const summonerId = page.status.loggedInSummonerId;
    if (!summonerId) {
      page.inventory = null;
    } else if (!page.inventory || page.inventory.summonerId !== summonerId || page.waiting || page.stale) {
      page.stale = false;
      await loadInventory(summonerId);
    }
  } catch {
    page.hostDown = true;
  }
  render();
}

async function pollStatus() {
  await refreshStatus();
  setTimeout(pollStatus, STATUS_POLL_MS);
}

function onEvent(event) {
  addToFeed(event);
  if (page.pending) {
    page.pending.push(event);
  } else if (page.inventory && page.inventory.apply(event)) {
    if (page.inventory.order.length > 0) page.waiting = "";
    render();
  }
}

// ---- rendering ------------------------------------------------------------

let renderQueued = false;

// Renders once after the current burst of events (each change arrives under
// two event names, and a list event comes with two more).
function render() {
  if (renderQueued) return;
  renderQueued = true;
  setTimeout(() => {
    renderQueued = false;
    renderNow();
  }, 0);
}

function renderNow() {
  renderHeader();
  renderGrid();
  renderDetail();
  renderControls();
}

function renderHeader() {
  const status = page.status;
  const inventory = page.inventory;
  let text = "";
  if (status) {
    text = inventory ? `Summoner ${inventory.summonerId}` : "Nobody is logged in";
    if (status.gameDataFiles) text += ` · game data ${status.gameDataFilesServed}/${status.gameDataFiles} files`;
    text += page.streaming ? " · live" : " · event stream reconnecting";
  }
  $("summoner").textContent = text || "Connecting to kel-host…";
  $("summoner").className = page.streaming ? "live" : "";
  $("counts").replaceChildren(...(inventory ? view.counts(inventory) : []));

  let notice = "";
  if (page.hostDown) {
    notice = `kel-host is not answering at ${location.origin}. Start it with "bash scripts/run-host.sh"; ` +
      `this page tries again every ${STATUS_POLL_MS / 1000} seconds and shows the last inventory it had.`;
  } else if (status && !inventory) {
    notice = "Nobody is logged in. Log a summoner in with the scenario controls.";
  } else if (page.waiting) {
    notice = `No inventory yet: ${page.waiting}`;
  }
  $("notice").textContent = notice;
  $("notice").hidden = notice === "";
  document.body.classList.toggle("host-down", page.hostDown);
}

function renderGrid() {
  const champions = page.inventory ? page.inventory.champions : [];
  const search = page.search.trim().toLowerCase();
  const perState = new Map(STATES.map((state) => [state.key, 0]));
  const active = [];
  const inactive = [];
  for (const champion of champions) {
    const state = stateOf(champion);
    perState.set(state, perState.get(state) + 1);
    const matches = !search || `${champion.name} ${champion.alias}`.toLowerCase().includes(search);
    if (!matches || !page.shown.has(state)) continue;
    (champion.active === false ? inactive : active).push(champion);
  }
  const tile = (champion) => view.championTile(champion, champion.id === page.selectedChampion, selectChampion);
  $("grid").replaceChildren(...active.map(tile));
  const showInactive = page.shown.has("inactive") && inactive.length > 0;
  $("inactive-grid").replaceChildren(...(showInactive ? inactive.map(tile) : []));
  $("inactive-heading").hidden = !showInactive;
  for (const [state, count] of perState) $(`filter-count-${state}`).textContent = String(count);
  $("filter-count-inactive").textContent = String(champions.filter((c) => c.active === false).length);
}

function renderDetail() {
  const champion = page.inventory && page.inventory.byId.get(page.selectedChampion);
  // The skin list keeps its scroll position across updates of the champion.
  const scrolled = $("detail").querySelector(".skins")?.scrollTop ?? 0;
  $("detail").replaceChildren(...(champion
    ? view.detail(champion, page.selectedSkin, selectSkin)
    : [view.h("p", { class: "hint" }, "Select a champion to see its skins and chromas.")]));
  const skins = $("detail").querySelector(".skins");
  if (skins) skins.scrollTop = scrolled;
}

function renderControls() {
  const champion = page.inventory && page.inventory.byId.get(page.selectedChampion);
  $("control-champion").textContent = champion ? `${champion.name || ""} #${champion.id}` : "none";
  $("control-skin").textContent = page.selectedSkin !== null ? `#${page.selectedSkin}` : "none";
  for (const button of document.querySelectorAll("#controls button[data-needs]")) {
    button.disabled = button.dataset.needs === "champion" ? !champion : page.selectedSkin === null;
  }
}

function addToFeed(event) {
  const list = $("events");
  list.prepend(view.feedEntry(event, new Date()));
  while (list.children.length > FEED_LENGTH) list.lastElementChild.remove();
}

function buildFilters() {
  const boxes = [...STATES, { key: "inactive", label: "Inactive" }].map(({ key, label }) =>
    view.h("label", { class: `filter ${key}` },
      view.h("input", {
        type: "checkbox", checked: true, "data-filter": key,
        onchange: (event) => {
          if (event.target.checked) page.shown.add(key);
          else page.shown.delete(key);
          render();
        },
      }),
      ` ${label} `, view.h("span", { id: `filter-count-${key}`, class: "filter-count" }, "0")));
  $("state-filters").replaceChildren(...boxes);
  $("search").addEventListener("input", (event) => {
    page.search = event.target.value;
    render();
  });
}

// ---- selection ------------------------------------------------------------

function selectChampion(id) {
  if (page.selectedChampion !== id) page.selectedSkin = null;
  page.selectedChampion = id;
  loadDetail();
  render();
}

function selectSkin(id) {
  page.selectedSkin = id;
  render();
}

// ---- scenario controls ----------------------------------------------------

function say(text) {
  $("control-result").textContent = text;
}

// The host builds the store's and the rental service's messages from its
// world; the page names the item.
const store = (step, item) => requestJson("POST", `/host/v1/store/${step}`, item);
const skinOf = (champion, skinId) => ({ championId: champion.id, skinId });

const actions = {
  login: () => {
    const text = $("login-summoner").value.trim();
    return requestJson("POST", "/host/v1/login", text ? { summonerId: Number(text) } : {});
  },
  logout: () => requestJson("POST", "/host/v1/logout"),
  reconnect: () => requestJson("POST", "/host/v1/reconnect"),
  "champion-own": (c) => store("buy", { championId: c.id }),
  "champion-rent": (c) => store("rent", { championId: c.id, days: 3 }),
  "champion-rental-ends": (c) => store("end-rental", { championId: c.id }),
  "skin-own": (c, s) => store("buy", skinOf(c, s)),
  "skin-rental-ends": (c, s) => store("end-rental", skinOf(c, s)),
  "skin-disable": (c, s) => store("disable-skin", { skinId: s, disabled: true }),
  "skin-enable": (c, s) => store("disable-skin", { skinId: s, disabled: false }),
  "new-player-level": () => requestJson("PUT", resourcePath(NEW_PLAYER_LEVEL_URI), Number($("new-player-level").value)),
};

async function runAction(name, button) {
  const champion = page.inventory && page.inventory.byId.get(page.selectedChampion);
  button.disabled = true;
  try {
    await actions[name](champion, page.selectedSkin);
    say(`${button.textContent}: sent`);
    if (name === "login" || name === "logout") await refreshStatus();
  } catch (error) {
    say(`${button.textContent}: ${error.message}`);
  } finally {
    button.disabled = false;
    renderControls();
  }
}

function buildControls() {
  $("controls").addEventListener("click", (event) => {
    const button = event.target.closest("button[data-action]");
    if (button) runAction(button.dataset.action, button);
  });
}

// ---- start ----------------------------------------------------------------

buildFilters();
buildControls();
requestJson("GET", resourcePath(NEW_PLAYER_LEVEL_URI)).then((level) => {
  if (typeof level === "number") $("new-player-level").value = String(level);
}, () => {});
followEvents({
  onEvent,
  onOpen: () => {
    page.streaming = true;
    // Whatever happened while the stream was away (or the host restarted)
    // is read afresh at the next status poll.
    page.stale = true;
    render();
  },
  onClose: () => {
    page.streaming = false;
    render();
  },
});
pollStatus();
