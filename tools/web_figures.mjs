// node web_figures.mjs WEB: the web page's figures, in one run, in headless Chromium with software
// WebGL. The bytes each file of WEB/site serves, raw and gzipped; then page load to the first
// frame, medians of FIGURE_RUNS (5) fresh loads taken in turns with the floor page (WEB/floor: the
// same SDL and 49 images, then only clearing and presenting), on loopback and at 10 Mbit/s,
// served uncompressed; then the game started by its service worker with the network off.
import { cpSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { gzipSync } from "node:zlib";

import { launch, markFirstFrame, serve } from "../tests/web/browser.mjs";

const web = process.argv[2];
const runs = Number(process.env.FIGURE_RUNS || 5);

// The floor page: the site's page and art around the floor program.
const site = join(web, "site"), floor = join(web, "floor");
rmSync(floor, { recursive: true, force: true });
cpSync(site, floor, { recursive: true, filter: (f) => !/(sw\.js|\.gz)$/.test(f) });
for (const ext of ["js", "wasm", "data"]) {
  rmSync(join(floor, `rocket.${ext}`));
  cpSync(join(web, "game", `rocket_floor.${ext}`), join(floor, `rocket_floor.${ext}`));
}
writeFileSync(join(floor, "index.html"), readFileSync(join(site, "index.html"), "utf8")
    .replace('"rocket.js"', '"rocket_floor.js"')
    .replace('navigator.serviceWorker.register("sw.js")', "undefined"));

const kb = (bytes) => `${(bytes / 1000).toFixed(1)} KB`;
console.log("| What is served | raw | gzipped |\n|---|---|---|");
let raw = 0, zipped = 0;
for (const name of ["index.html", "rocket.js", "rocket.wasm", "rocket.data", "manifest.webmanifest",
                    "rocket.png"]) {
  const bytes = readFileSync(join(site, name));
  const packed = Math.min(bytes.length, gzipSync(bytes, { level: 9 }).length);
  raw += bytes.length;
  zipped += packed;
  console.log(`| \`${name}\` | ${kb(bytes.length)} | ${kb(packed)} |`);
}
console.log(`| before the first frame, in all | ${kb(raw)} | ${kb(zipped)} |`);
const later = readdirSync(site).filter((f) => /^(sw\.js|rocket-\d+\.png)$/.test(f));
console.log(`| later, for offline play and installing (${later.join(", ")}) | ` +
            `${kb(later.reduce((sum, f) => sum + statSync(join(site, f)).size, 0))} | |\n`);

const { server, url } = await serve(web);
const browser = await launch([], { defaultViewport: { width: 1400, height: 880 } });

async function firstFrame(page) {
  await page.waitForFunction(() => window.firstFrameMs !== undefined, { timeout: 60000 });
  return page.evaluate(() => window.firstFrameMs);
}

// A fresh load in a context of its own (no cache, no service worker), at `throughput` bytes a
// second if given.
async function load(path, throughput) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.evaluateOnNewDocument(markFirstFrame);
  if (throughput) {
    const cdp = await page.target().createCDPSession();
    await cdp.send("Network.enable");
    await cdp.send("Network.emulateNetworkConditions", { offline: false, latency: 0,
      downloadThroughput: throughput, uploadThroughput: throughput });
  }
  await page.goto(url + path);
  const ms = await firstFrame(page);
  await context.close();
  return ms;
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
console.log("| Page load to the first frame, median of " + runs +
            " fresh loads | the game | floor | game / floor |\n|---|---|---|---|");
try {
  for (const [name, throughput] of [["loopback", 0], ["10 Mbit/s, uncompressed", 10e6 / 8]]) {
    const game = [], base = [];
    for (let run = 0; run < runs; ++run) {
      game.push(await load("site/", throughput));
      base.push(await load("floor/", throughput));
    }
    console.log(`| ${name} | ${median(game).toFixed(0)} ms | ${median(base).toFixed(0)} ms | ` +
                `${(median(game) / median(base)).toFixed(2)} |`);
  }
  // The network off: the service worker starts the game from its stored copy.
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.evaluateOnNewDocument(markFirstFrame);
  await page.goto(url + "site/");
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.reload();
  await page.setOfflineMode(true);
  const offline = [];
  for (let run = 0; run < runs; ++run) {
    await page.reload();
    offline.push(await firstFrame(page));
  }
  console.log(`| the network off, from the service worker | ${median(offline).toFixed(0)} ms | | |`);
  await context.close();
} finally {
  await browser.close();
  server.kill();
}
