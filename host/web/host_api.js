// Talking to kel-host: the plug-in's routes, the control API and the event
// stream, all on the origin that served the page.

export class HostError extends Error {
  constructor(status, message) {
    super(message);
    this.status = status;  // 0 when the host did not answer at all
  }
}

// A JSON request. Plug-in and host failures arrive as {"httpStatus",
// "message"}; those and network failures become a HostError.
export async function requestJson(method, path, body) {
  const init = { method, headers: {} };
  if (body !== undefined) {
    init.headers["Content-Type"] = "application/json";
    init.body = JSON.stringify(body);
  } else if (method !== "GET") {
    // The host refuses a POST or PUT that declares no body at all.
    init.body = "";
  }
  let response;
  try {
    response = await fetch(path, init);
  } catch (error) {
    throw new HostError(0, `kel-host is not answering (${error.message}).`);
  }
  const text = await response.text();
  let value = null;
  try {
    value = text === "" ? null : JSON.parse(text);
  } catch {
    throw new HostError(response.status, `${method} ${path} answered ${response.status} with a body that is not JSON.`);
  }
  if (!response.ok) {
    const message = value && typeof value.message === "string" ? value.message : `${method} ${path}: ${response.status}`;
    throw new HostError(response.status, message);
  }
  return value;
}

// The one spelling of the plug-in's inventory routes: "" gives the prefix.
export const inventoryPath = (summonerId, rest = "") => `/kel-champions/v1/inventories/${summonerId}/${rest}`;

// The control API's resource routes carry the played resource's own URI.
export const resourcePath = (uri) => `/host/v1/resources${uri}`;

export const NEW_PLAYER_LEVEL_URI =
  "/kel-platform-config/v1/namespaces/ClientSystemStates/freeToPlayChampionsForNewPlayersMaxLevel";

// Follows /host/v1/events for as long as the page lives: `onEvent` gets each
// published event ({name, uri, eventType, data} plus the stream's `id`),
// `onOpen` each (re)connection, `onClose` each loss. The stream is read
// with fetch rather than EventSource because every event carries its own
// event name, and EventSource only hands out names it was told in advance.
export function followEvents({ onEvent, onOpen, onClose, retryMs = 1000 }) {
  async function readOnce() {
    const response = await fetch("/host/v1/events", { headers: { Accept: "text/event-stream" } });
    if (!response.ok || !response.body) throw new Error(`event stream answered ${response.status}`);
    onOpen();
    const reader = response.body.pipeThrough(new TextDecoderStream()).getReader();
    let pending = "";
    for (;;) {
      const { value, done } = await reader.read();
      if (done) return;
      pending += value;
      let end;
      while ((end = pending.indexOf("\n\n")) >= 0) {
        const frame = parseFrame(pending.slice(0, end));
        pending = pending.slice(end + 2);
        if (frame) onEvent(frame);
      }
    }
  }
  (async () => {
    for (;;) {
      try {
        await readOnce();
      } catch {
        // Reported through onClose below; the loop tries again.
      }
      onClose();
      await new Promise((resolve) => setTimeout(resolve, retryMs));
    }
  })();
}

// One server-sent event: "id:", "event:" and "data:" lines; ":" lines are
// keep-alive comments. Returns null for frames without JSON data.
export function parseFrame(text) {
  let id = null;
  const data = [];
  for (const line of text.split("\n")) {
    if (line.startsWith("id:")) id = line.slice(3).trim();
    else if (line.startsWith("data:")) data.push(line.slice(5).replace(/^ /, ""));
  }
  if (data.length === 0) return null;
  try {
    return { id, ...JSON.parse(data.join("\n")) };
  } catch {
    return null;
  }
}
