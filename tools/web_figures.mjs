// node web_figures.mjs WEB: the web page's figures, in one run. The bytes each file of WEB/site
// serves, raw and gzipped; then page load to the first frame in each browser engine, medians of
// FIGURE_RUNS (5) fresh loads (a browser of its own each) taken in turns with the floor page
// (WEB/floor: the same SDL and 49 images, then only clearing and presenting); in headless
// Chromium also at 10 Mbit/s, served uncompressed, and started by its service worker with the
// network off; then the CPU the browser spends on the game at rest, with WebGL and without.
// Run it under a display (xvfb-run) for Firefox and WebKit.
import { cpSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from "node:fs";
import { execFileSync } from "node:child_process";
import { join } from "node:path";
import { gzipSync } from "node:zlib";

import { addPreload, engines, firstFrame, launch, serve } from "../tests/web/browser.mjs";

const web = process.argv[2];
const runs = Number(process.env.FIGURE_RUNS || 5);

// The floor page: the site's page and art around the floor program. Both pages carry the test's
// preload, which marks the first frame and counts the frames presented.
const site = join(web, "site"), floor = join(web, "floor"), game = join(web, "figures-site");
rmSync(game, { recursive: true, force: true });
cpSync(site, game, { recursive: true });
addPreload(game);
execFileSync(join(import.meta.dirname, "..", "scripts", "seal-site"), [game]);
rmSync(floor, { recursive: true, force: true });
cpSync(site, floor, { recursive: true, filter: (f) => !/(sw\.js|\.gz)$/.test(f) });
for (const ext of ["js", "wasm", "data"]) {
  rmSync(join(floor, `rocket.${ext}`));
  cpSync(join(web, "game", `rocket_floor.${ext}`), join(floor, `rocket_floor.${ext}`));
}
writeFileSync(join(floor, "index.html"), readFileSync(join(site, "index.html"), "utf8")
    .replace('"rocket.js"', '"rocket_floor.js"')
    .replace('navigator.serviceWorker.register("sw.js")', "undefined"));
addPreload(floor);

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
const viewport = { width: 1400, height: 880 };
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const settle = (ms) => new Promise((done) => setTimeout(done, ms));

// A fresh load in a browser of its own: no cache, no service worker.
async function freshLoad(engine, path) {
  const browser = await engine.start();
  try {
    const tab = await browser.open(viewport);
    await tab.goto(url + path);
    return await firstFrame(tab, 60000);
  } finally {
    await browser.close();
  }
}

// The CPU time of a process and all its descendants, in seconds, from /proc.
function treeSeconds(pid) {
  const stats = readdirSync("/proc").filter((name) => /^\d+$/.test(name)).map((name) => {
    try {
      const fields = readFileSync(`/proc/${name}/stat`, "utf8").replace(/^.*\) /, "").split(" ");
      return { pid: Number(name), parent: Number(fields[1]), ticks: Number(fields[11]) + Number(fields[12]) };
    } catch {
      return null;  // gone meanwhile
    }
  }).filter(Boolean);
  const tree = new Set([pid]);
  for (let grown = true; grown;) {
    grown = false;
    for (const stat of stats) {
      if (!tree.has(stat.pid) && tree.has(stat.parent)) {
        tree.add(stat.pid);
        grown = true;
      }
    }
  }
  return stats.filter((stat) => tree.has(stat.pid)).reduce((sum, stat) => sum + stat.ticks, 0) / 100;
}

// Headless Chromium's CPU, all its processes, over 5 s of the game left alone, as a share of one
// core, and the frames it presented a second.
async function atRest(args) {
  const browser = await launch(args);
  try {
    const page = await browser.newPage();
    await page.setViewport(viewport);
    await page.goto(url + "figures-site/");
    await firstFrame(page, 60000);
    await settle(2000);
    const [used, presented, since] = [treeSeconds(browser.process().pid),
                                      await page.evaluate(() => window.presents), Date.now()];
    await settle(5000);
    const seconds = (Date.now() - since) / 1000;
    return [100 * (treeSeconds(browser.process().pid) - used) / seconds,
            (await page.evaluate(() => window.presents) - presented) / seconds];
  } finally {
    await browser.close();
  }
}

const ratio = (a, b) => (a / b).toFixed(2);
try {
  console.log(`| Page load to the first frame, median of ${runs} fresh loads on loopback | ` +
              "the game | floor | game / floor |\n|---|---|---|---|");
  for (const engine of engines) {
    const times = { game: [], floor: [] };
    for (let run = 0; run < runs; ++run) {
      times.game.push(await freshLoad(engine, "figures-site/"));
      times.floor.push(await freshLoad(engine, "floor/"));
    }
    const [a, b] = [median(times.game), median(times.floor)];
    console.log(`| ${engine.name} | ${a.toFixed(0)} ms | ${b.toFixed(0)} ms | ${ratio(a, b)} |`);
  }
  console.log();
  await chromiumOnly();
  console.log();
  const paths = { WebGL: [[], []], "no WebGL (SDL's software renderer on a 2D canvas)": [[], []] };
  for (let run = 0; run < runs; ++run) {
    for (const [name, args] of [["WebGL", []],
                                ["no WebGL (SDL's software renderer on a 2D canvas)", ["--disable-webgl"]]]) {
      const [share, rate] = await atRest(args);
      paths[name][0].push(share);
      paths[name][1].push(rate);
    }
  }
  console.log(`| Headless Chromium at rest, all its processes, median of ${runs} | CPU, share of one ` +
              "core | frames presented a second |\n|---|---|---|");
  for (const [name, [shares, rates]] of Object.entries(paths)) {
    console.log(`| ${name} | ${median(shares).toFixed(1)}% | ${median(rates).toFixed(1)} |`);
  }
  const [gl, soft] = Object.values(paths).map(([shares]) => median(shares));
  console.log(`| no WebGL / WebGL | ${ratio(soft, gl)} | |`);
} finally {
  server.kill();
}

// Chromium alone can throttle the network and take it away.
async function chromiumOnly() {
  const browser = await launch([], { defaultViewport: viewport });
  try {
    await chromiumLoads(browser);
  } finally {
    await browser.close();
  }
}

async function chromiumLoads(browser) {
  // A fresh load in a context of its own (no cache, no service worker), at `throughput` bytes a
  // second.
  async function load(path, throughput) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    const cdp = await page.target().createCDPSession();
    await cdp.send("Network.enable");
    await cdp.send("Network.emulateNetworkConditions", { offline: false, latency: 0,
      downloadThroughput: throughput, uploadThroughput: throughput });
    await page.goto(url + path);
    const ms = await firstFrame(page, 60000);
    await context.close();
    return ms;
  }
  console.log(`| Page load to the first frame in headless Chromium, median of ${runs} | the game | ` +
              "floor | game / floor |\n|---|---|---|---|");
  const game = [], base = [];
  for (let run = 0; run < runs; ++run) {
    game.push(await load("figures-site/", 10e6 / 8));
    base.push(await load("floor/", 10e6 / 8));
  }
  console.log(`| 10 Mbit/s, uncompressed | ${median(game).toFixed(0)} ms | ` +
              `${median(base).toFixed(0)} ms | ${ratio(median(game), median(base))} |`);
  // The network off: the service worker starts the game from its stored copy.
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.goto(url + "figures-site/");
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.reload();
  await page.setOfflineMode(true);
  const offline = [];
  for (let run = 0; run < runs; ++run) {
    await page.reload();
    offline.push(await firstFrame(page, 60000));
  }
  console.log(`| the network off, from the service worker | ${median(offline).toFixed(0)} ms | | |`);
  await context.close();
}
