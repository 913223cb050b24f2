// Checks a running host's OpenAPI document: it validates as OpenAPI, it
// describes every route of the API description, and every route's answer
// for the generated world (and a failure's) conforms to the schema it gives.
//   node check.mjs http://127.0.0.1:PORT
// Prints what does not hold and exits 1.
import { Validator } from "@seriousme/openapi-schema-validator";
import Ajv2020 from "ajv/dist/2020.js";

const base = process.argv[2];
const problems = [];
const fetchJson = async (path) => {
  const response = await fetch(base + path);
  return { status: response.status, body: await response.json() };
};

const doc = (await fetchJson("/host/v1/openapi.json")).body;
const validation = await new Validator().validate(structuredClone(doc));
if (!validation.valid) problems.push("not valid OpenAPI: " + JSON.stringify(validation.errors));

const routed = (await fetchJson("/host/v1/api")).body.functions.filter((f) => f.path);
for (const f of routed) {
  if (!doc.paths[f.path]?.[f.method.toLowerCase()]) problems.push(`${f.method} ${f.path} is not described`);
}

// Parameter values from the world: the logged-in summoner and a champion
// with a skin that has chromas, so that every list answered is non-empty.
const summonerId = (await fetchJson("/host/v1/status")).body.loggedInSummonerId;
const inventory = `/kel-champions/v1/inventories/${summonerId}`;
const champions = (await fetchJson(`${inventory}/champions`)).body;
const champion = champions.find((c) => c.skins.some((s) => s.chromas.length > 0));
const skin = champion?.skins.find((s) => s.chromas.length > 0);
if (!skin) problems.push("no champion with a chroma in the world");
const values = { summonerId, championId: champion?.id, championSkinId: skin?.id, skinId: skin?.id };

const ajv = new Ajv2020({ strict: false, allErrors: true, validateFormats: false });
const conforms = (schema, body, what) => {
  const validate = ajv.compile({ ...schema, components: doc.components });
  if (!validate(body)) problems.push(`${what}: ${ajv.errorsText(validate.errors)}`);
};
for (const [template, item] of Object.entries(doc.paths)) {
  const path = template.replace(/\{(\w+)\}/g, (_, name) => values[name] ?? problems.push(`no value for ${name}`));
  const answer = await fetchJson(path);
  if (answer.status !== 200) problems.push(`GET ${path}: ${answer.status} ${JSON.stringify(answer.body)}`);
  else conforms(item.get.responses["200"].content["application/json"].schema, answer.body, `GET ${path}`);
}
const missing = await fetchJson(`${inventory}/champions/999999`);
const failure = doc.paths["/kel-champions/v1/inventories/{summonerId}/champions/{championId}"]?.get.responses.default;
if (missing.status !== 404 || !failure) problems.push(`an unknown champion answered ${missing.status}`);
else conforms(failure.content["application/json"].schema, missing.body, "the unknown champion's answer");

for (const problem of problems) console.error(problem);
console.log(`openapi: ${Object.keys(doc.paths).length} paths, ${problems.length} problems`);
process.exit(problems.length === 0 ? 0 : 1);
