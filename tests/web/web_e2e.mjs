// The game's page played in real browsers, one engine after another: node web_e2e.mjs SITE
// ASSETS, under a display (xvfb-run) for Firefox and WebKit. Each engine gets a copy of the site
// with the test's preload (browser.mjs) at the top of the page, served on loopback, and plays
// the same parts: the console, the canvas read through screenshots, the arrow keys, a gamepad,
// the sound's start and its button, the focus lost with a key held, flight, the download
// against its budget, the canvas's fit on a laptop's, a desktop's and a phone's screens, the web
// app manifest, Escape, play with the network off (before and after a rebuild), opened as a
// file and from an insecure origin, and touch controls on a phone held sideways. A part an
// engine's driver cannot drive is named, with the reason, and left out. Then the basics on pages
// without WebGL: Chromium with WebGL turned off, and headless Firefox. Screenshots stay beside
// the site.
import { execFileSync } from "node:child_process";
import { cpSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync }
  from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { gzipSync, inflateSync } from "node:zlib";
import { addPreload, engines, firstFrame, noWebGL, serve } from "./browser.mjs";

const [builtSite, assets] = process.argv.slice(2);
const root = join(dirname(fileURLToPath(import.meta.url)), "..", "..");
const shots = join(builtSite, "..");
const GLASS = [22, 34, 72];
const WHITE = [250, 250, 250];
const FLAME = [[255, 252, 214], [255, 214, 80], [252, 136, 36], [214, 64, 32]];  // core to edge
const DESKTOP = { width: 1400, height: 880 };
const failures = [];
const notDriven = [];

function check(ok, message) {
  console.log(`${ok ? "ok  " : "FAIL"} ${message}`);
  if (!ok) {
    failures.push(message);
  }
}

// An 8-bit RGB or RGBA PNG, as the drivers write screenshots, decoded to rows of pixels.
function decodePng(png) {
  let width = 0, height = 0, channels = 0;
  const data = [];
  for (let at = 8; at < png.length;) {
    const length = png.readUInt32BE(at);
    const type = png.toString("latin1", at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === "IHDR") {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === "IDAT") {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    for (let x = 0; x < stride; ++x) {
      const value = raw[y * (stride + 1) + 1 + x];
      const left = x >= channels ? pixels[y * stride + x - channels] : 0;
      const up = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const corner = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      const paeth = () => {
        const p = left + up - corner;
        const [pa, pb, pc] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - corner)];
        return pa <= pb && pa <= pc ? left : pb <= pc ? up : corner;
      };
      const predicted = [0, left, up, (left + up) >> 1, paeth()][filter];
      pixels[y * stride + x] = (value + predicted) & 0xFF;
    }
  }
  return { width, at: (x, y) => [...pixels.subarray((y * width + x) * channels, (y * width + x) * channels + 3)] };
}

const same = (a, b) => a.every((v, i) => v === b[i]);
const settle = (frames) => new Promise((done) => setTimeout(done, frames * 45));

// Canvas pixels that differ in the rocket's square at the centre.
function centreChanges(a, b) {
  let count = 0;
  for (let y = 70; y < 110; ++y) {
    for (let x = 140; x < 180; ++x) {
      count += !same(a(x, y), b(x, y));
    }
  }
  return count;
}

// Canvas pixels that differ anywhere but where the ball is in either picture, and, if asked,
// but in the rocket's square at the centre. At rest the ball is all that moves. The ball wears
// the eyes, whose glint is 2 pixels up and left of its centre; the captain's own glint in the
// porthole is at (158, 88).
function differingBesidesTheBall(a, b, { centre = true } = {}) {
  const balls = [];
  for (const look of [a, b]) {
    for (let y = 0; y < 180; ++y) {
      for (let x = 0; x < 320; ++x) {
        if ((x !== 158 || y !== 88) && same(look(x, y), [120, 170, 255])) {
          balls.push([x + 2, y + 2]);
        }
      }
    }
  }
  let count = 0;
  for (let y = 0; y < 180; ++y) {
    for (let x = 0; x < 320; ++x) {
      const nearBall = balls.some(([bx, by]) => Math.abs(x - bx) <= 8 && Math.abs(y - by) <= 8);
      const inCentre = x >= 135 && x < 185 && y >= 65 && y < 115;
      count += !nearBall && (centre || !inCentre) && !same(a(x, y), b(x, y));
    }
  }
  return count;
}

// The self-test's two lines, then one loading line per image, in table order.
const expectedLines = ["validating collision detection...", "collision detection is ~mostly~ valid",
                       ...readdirSync(assets).filter((f) => f.endsWith(".bmp")).sort()
                           .map((f) => `loading assets/${f}`)];
async function checkLines(tab, when) {
  const [lines, errors] = await tab.evaluate(() => [window.testLines, window.testErrors]);
  check(expectedLines.length === 51 && same(lines.slice(0, 51), expectedLines),
        `${when}: the console shows the self-test and the 49 loading lines in order ` +
        `(${lines.length} lines)`);
  check(!lines.some((l) => l.startsWith("error")) && errors.length === 0,
        `${when}: no error line, no page error ${errors.join("; ")}`);
}

function checkCentre(look, when) {
  check(same(look(160, 90), GLASS) && same(look(158, 89), WHITE),
        `${when}: the porthole glass and an eye at the centre`);
}

// The rocket's own pixels at the centre (its hull's colours, not the sky behind it).
function rocketOf(look) {
  const pixels = [];
  for (let y = 78; y < 102; ++y) {
    for (let x = 148; x < 172; ++x) {
      const [r, g, b] = look(x, y);
      pixels.push(r + g + b > 200 ? `${x},${y}` : "");
    }
  }
  return pixels;
}

// Flame pixels in the rocket's square.
function flame(look) {
  let count = 0;
  for (let y = 70; y < 110; ++y) {
    for (let x = 140; x < 180; ++x) {
      count += FLAME.some((ink) => same(look(x, y), ink));
    }
  }
  return count;
}

// How the canvas sits in the viewport: the page must not scroll, and the canvas must be whole,
// 16:9, and the largest whole multiple of 320x180 screen pixels that fits below the title.
async function fitOf(tab) {
  return tab.evaluate(() => {
    const box = document.getElementById("canvas").getBoundingClientRect();
    const stage = document.getElementById("stage").getBoundingClientRect();
    const status = document.getElementById("status").offsetHeight;
    const ratio = devicePixelRatio;
    return { width: box.width, height: box.height, top: box.top, left: box.left,
             bottom: box.bottom, right: box.right, ratio,
             roomWidth: stage.width, roomHeight: stage.height - status,
             scrolls: scrollY !== 0 || document.documentElement.scrollHeight > innerHeight ||
                      document.documentElement.scrollWidth > innerWidth,
             innerWidth, innerHeight };
  });
}

function checkFit(fit, name, expectedWidth) {
  const whole = fit.width * fit.ratio / 320;
  const fits = fit.top >= 0 && fit.left >= 0 && fit.bottom <= fit.innerHeight + 0.5 &&
               fit.right <= fit.innerWidth + 0.5;
  const next = (Math.round(whole) + 1) / fit.ratio;
  const largest = 320 * next > fit.roomWidth + 0.5 || 180 * next > fit.roomHeight + 0.5;
  check(!fit.scrolls && fits && Math.abs(fit.width * 9 - fit.height * 16) < 1 &&
        Math.abs(whole - Math.round(whole)) < 0.01 && largest &&
        (expectedWidth === undefined || Math.abs(fit.width - expectedWidth) < 0.5),
        `${name}: the whole canvas shows at ${fit.width}x${fit.height} (${whole.toFixed(2)} ` +
        `screen pixels a game pixel), no scrolling`);
}

// Waits until `fn` (given `args`) is true in the page, asking again every few frames.
async function waitFor(tab, fn, timeout = 30000, ...args) {
  for (const until = Date.now() + timeout; Date.now() < until; await settle(2)) {
    if (await tab.evaluate(fn, ...args).catch(() => false)) {
      return true;
    }
  }
  return false;
}

// Waits until the page has presented `frames` frames since it loaded, or with `more`, from now.
// The game's progress is counted in its own frames: a cold or busy machine makes them come
// later than the clock says, and a browser's first start can hold its page up for seconds.
async function played(tab, frames, { more = false } = {}) {
  const from = more ? await tab.evaluate(() => window.presents) : 0;
  if (!await waitFor(tab, (until) => window.presents >= until, 30000, from + frames)) {
    check(false, `the page presents ${frames} frames within 30 s`);
  }
}

// Opens the game in a new tab of `browser` and waits for its first frame.
async function open(browser, url, viewport) {
  const tab = await browser.open(viewport);
  await tab.goto(url);
  tab.firstFrameMs = await firstFrame(tab);
  return tab;
}

// A screenshot of the viewport as the page is now. An engine may hand back a picture it put
// together a while before (WebKit does on its first start, and on a busy machine), so a mark is
// put in the page's corner, screenshots are taken until one shows it, and then until one shows
// it gone: that one is as new as the page.
const MARK = [255, 0, 255];
async function freshPng(tab) {
  const until = async (shown) => {
    for (const end = Date.now() + 20000; ;) {
      const png = Buffer.from(await tab.png());
      if (same(decodePng(png).at(1, 1), MARK) === shown) {
        return png;
      }
      if (Date.now() > end) {
        check(false, `a screenshot shows the page as it is within 20 s`);
        return png;
      }
      await settle(2);
    }
  };
  await tab.evaluate(() => {
    const mark = document.createElement("div");
    mark.id = "test-mark";
    mark.style.cssText = "position: fixed; left: 0; top: 0; width: 4px; height: 4px; " +
                         "background: #f0f; z-index: 2147483647; pointer-events: none";
    document.body.append(mark);
  });
  await until(true);
  await tab.evaluate(() => document.getElementById("test-mark").remove());
  return until(false);
}

// The canvas as the player sees it, read by canvas pixel (x, y) of 320x180, from a screenshot
// of the viewport (kept beside the site). The canvas's place is read before and after the
// screenshot, and the screenshot taken again should the page have moved it in between.
async function shot(tab, name) {
  const place = () => tab.evaluate(() => {
    const { left, top, width } = document.getElementById("canvas").getBoundingClientRect();
    return { left, top, width, ratio: devicePixelRatio };
  });
  let box = await place();
  for (let tries = 1; ; ++tries) {
    const png = await freshPng(tab);
    const after = await place();
    const still = JSON.stringify(after) === JSON.stringify(box);
    if (still || tries === 5) {
      if (!still) {
        check(false, `${name}: the canvas holds still for a screenshot`);
      }
      writeFileSync(join(shots, `web-${name}.png`), png);
      const image = decodePng(png);
      const scale = box.width * box.ratio / 320;
      return (x, y) => image.at(Math.floor(box.left * box.ratio + (x + 0.5) * scale),
                                Math.floor(box.top * box.ratio + (y + 0.5) * scale));
    }
    box = after;
  }
}

// The states of the page's audio contexts, after what was asked of them has settled; with
// `until`, once they have come to that (a busy machine starts an audio context later).
async function soundOf(tab, until) {
  const states = () => window.audioContexts.map((context) => context.state).join(",");
  await settle(3);
  if (until) {
    await waitFor(tab, (wanted) => window.audioContexts.map((context) => context.state)
        .join(",") === wanted, 30000, until);
  }
  return tab.evaluate(states);
}

const statusOf = (tab) => tab.evaluate(() => document.getElementById("status").textContent);

async function checkEnd(tab, when) {
  await tab.key("press", "Escape");
  await waitFor(tab, () => document.getElementById("status").textContent.includes("ended"), 10000);
  const status = await statusOf(tab);
  check(status === "The game has ended. Reload the page to play again.", `${when}, after Escape: "${status}"`);
}

// Waits while the page plays `count` more frames, and at least as long as they take at their
// quickest: a frame drawn in software on a busy machine can take longer than one with WebGL.
const frames = (tab, count) => Promise.all([settle(count), played(tab, count, { more: true })]);

// Holds a key for a few frames: a press and release within one frame is never seen.
async function hold(tab, key, count = 5) {
  await tab.key("down", key);
  await frames(tab, count);
  await tab.key("up", key);
}

// The game's basics in a page without WebGL: its lines, the frame at rest as the reference shows
// it (pixel for pixel, but for the ball), a turn, the flame and Escape.
async function playsTheBasics(tab, engine, name, reference) {
  await played(tab, 25);
  await checkLines(tab, engine);
  const rest = await shot(tab, `${name}-rest`);
  checkCentre(rest, `${engine}, at rest`);
  const unlike = differingBesidesTheBall(reference, rest);
  check(unlike === 0, `${engine}: the frame at rest is Chromium's with WebGL, pixel for pixel, ` +
                      `but for the ball (${unlike} pixels differ)`);
  await hold(tab, "ArrowRight");
  await frames(tab, 3);
  const turned = await shot(tab, `${name}-turned`);
  check(centreChanges(rest, turned) > 20, `${engine}: the right arrow turns the rocket`);
  await tab.key("down", "ArrowUp");
  await frames(tab, 8);
  const burning = await shot(tab, `${name}-thrust`);
  await tab.key("up", "ArrowUp");
  check(flame(burning) > 5, `${engine}: holding up shows the flame (${flame(burning)})`);
  await checkEnd(tab, engine);
}

// The parts of the test, in the order they run in each engine. Each takes the run's state: the
// engine, its browser, the site's folder and server, the tab playing, and the frame at rest.
const parts = [
  ["start", async (run) => {
    run.tab = await open(run.browser, run.url, DESKTOP);
    await played(run.tab, 25);  // the ball leaves the centre
    await checkLines(run.tab, run.name);
    const touchShown = await run.tab.evaluate(
        () => document.getElementById("left").offsetParent !== null);
    check(!touchShown, `${run.name}: no touch controls on a screen without touch`);
    run.rest = await shot(run.tab, `${run.slug}-rest`);
    checkCentre(run.rest, `${run.name}, at rest`);
    const hull = run.rest(160, 84);
    check(!same(hull, GLASS) && !same(hull, [0, 0, 0]), `${run.name}: hull above the porthole: ${hull}`);
    if (run.reference) {
      const unlike = differingBesidesTheBall(run.reference, run.rest);
      check(unlike === 0, `${run.name}: the frame at rest is Chromium's, pixel for pixel, but for ` +
                          `the ball (${unlike} pixels differ)`);
    }
  }],
  ["keyboard", async (run) => {
    const silent = await soundOf(run.tab);
    // "interrupted" is the engine's own state, which no page can set or leave: WebKitGTK 2.54
    // (Debian 13's) holds every audio context so on this machine, which has no sound device.
    run.soundless = silent === "interrupted";
    if (run.soundless) {
      console.log(`not driven in ${run.name}: sound, since the engine holds every audio context ` +
                  `"interrupted" here`);
      notDriven.push(`${run.name}: sound`);
    } else {
      check(silent === "suspended", `${run.name}: no sound before the first key: ${silent}`);
    }
    await hold(run.tab, "ArrowRight", 2);
    if (!run.soundless) {
      const sounding = await soundOf(run.tab, "running");
      check(sounding === "running", `${run.name}: the sound starts on the first key: ${sounding}`);
    }
    run.turned = await shot(run.tab, `${run.slug}-turned`);
    const changed = centreChanges(run.rest, run.turned);
    check(changed > 20 && same(run.turned(160, 90), GLASS),
          `${run.name}: the right arrow turned the rocket (${changed} pixels changed)`);
  }],
  ["gamepad", async (run) => {
    const tiltStick = (x) => run.tab.evaluate((x) => {
      window.testPad.axes[0] = x;
      window.testPad.timestamp += 1;
    }, x);
    await tiltStick(-1);
    await frames(run.tab, 5);  // a tilt and its return within one frame would never be seen
    await tiltStick(0);
    await frames(run.tab, 3);
    const padTurned = await shot(run.tab, `${run.slug}-pad-turned`);
    const padChanged = centreChanges(run.turned, padTurned);
    check(padChanged > 20 && same(padTurned(160, 90), GLASS),
          `${run.name}: the gamepad's stick turned the rocket back (${padChanged} pixels changed)`);
  }],
  // The sound button presses M for the player, and the page remembers the choice; M itself turns
  // it back on.
  ["mute", async (run) => {
    const muteState = () => run.tab.evaluate(() => [localStorage.getItem("rocket.muted"),
      document.getElementById("mute").getAttribute("aria-pressed")].join(" "));
    await run.tab.click("#mute");
    const mutedState = await muteState();
    await run.tab.key("press", "m");
    const unmutedState = await muteState();
    check(mutedState === "1 true" && unmutedState === "0 false",
          `${run.name}: the sound button and M: "${mutedState}", then "${unmutedState}"`);
  }],
  // Another tab takes the focus while the right arrow is held: the rocket stops turning.
  ["focus", async (run) => {
    await run.tab.key("down", "ArrowRight");
    await settle(2);
    const back = await run.tab.away();
    await settle(3);
    const away = await shot(run.tab, `${run.slug}-focus-lost`);
    await settle(4);
    const stillAway = await shot(run.tab, `${run.slug}-focus-lost-later`);
    check(centreChanges(away, stillAway) === 0,
          `${run.name}: losing the focus with the right arrow held stops the turn`);
    const hidden = await run.tab.evaluate(() => document.visibilityState);
    const hiddenSound = await soundOf(run.tab);
    check(hidden !== "hidden" || hiddenSound === "suspended",
          `${run.name}: a hidden page is silent (${hidden}: ${hiddenSound})`);
    await back();
    await run.tab.key("up", "ArrowRight");
  }],
  ["flight", async (run) => {
    await run.tab.evaluate(() => { window.loudest = 0; });
    await run.tab.key("down", "ArrowUp");
    await frames(run.tab, 8);
    // The browser takes the page's sound a little after the frame that made it, later on a
    // busy machine or a sound device that has only just started: up is held until it is heard,
    // 60 frames at most.
    let rumble = await run.tab.evaluate(() => window.loudest);
    for (let held = 8; held < 60 && rumble <= 0.02 && !run.soundless; held += 4) {
      await frames(run.tab, 4);
      rumble = await run.tab.evaluate(() => window.loudest);
    }
    if (!run.soundless) {
      check(rumble > 0.02 && rumble < 1, `${run.name}: the thruster is heard while up is held ` +
                                         `(${rumble.toFixed(3)}, sound ${await soundOf(run.tab)})`);
    }
    const burning = await shot(run.tab, `${run.slug}-thrust`);
    await frames(run.tab, 4);
    const later = await shot(run.tab, `${run.slug}-page`);  // the whole page, in flight
    await run.tab.key("up", "ArrowUp");
    check(flame(burning) > 5, `${run.name}: holding up shows the flame (${flame(burning)} flame pixels)`);
    const moved = differingBesidesTheBall(burning, later, { centre: false });
    check(moved > 50, `${run.name}: the view scrolls while flying (${moved} backdrop pixels moved)`);
    checkFit(await fitOf(run.tab), `${run.name}: 1400x880 with the arrows held`, 1280);
  }],
  // What came before the first frame must stay within the download budget, counted in the site
  // as built (without the test's preload).
  ["budget", async (run) => {
    const urls = await run.tab.evaluate(() => [location.href, ...performance
        .getEntriesByType("resource").filter((entry) => entry.startTime < window.firstFrameMs)
        .map((entry) => entry.name)]);
    const before = [...new Set(urls.map((u) => new URL(u).pathname.slice(1) || "index.html"))]
        .filter((name) => statSync(join(builtSite, name), { throwIfNoEntry: false }));
    const sizes = before.map((name) => readFileSync(join(builtSite, name)))
        .map((bytes) => [bytes.length, Math.min(bytes.length, gzipSync(bytes, { level: 9 }).length)]);
    const raw = sizes.reduce((sum, [bytes]) => sum + bytes, 0);
    const zipped = sizes.reduce((sum, [, packed]) => sum + packed, 0);
    check(before.includes("rocket.wasm") && raw <= 1000000 && zipped <= 250000,
          `${run.name}: before the first frame ${before.join(", ")}: ${raw} bytes, ${zipped} gzipped`);
  }],
  // The page fits other screens: the whole canvas, at the largest size that fits.
  ["screens", async (run) => {
    for (const [width, height, expected] of [[1366, 657, 960], [1920, 960, 1280]]) {
      await run.tab.setViewport({ width, height });
      await settle(2);
      checkFit(await fitOf(run.tab), `${run.name}: ${width}x${height}`, expected);
    }
    await run.tab.setViewport(DESKTOP);
  }],
  ["scaled", async (run) => {
    await run.tab.setViewport({ width: 390, height: 844, deviceScaleFactor: 3 });
    await settle(2);
    checkFit(await fitOf(run.tab), `${run.name}: 390x844 at 3x`, 320);
    await run.tab.setViewport(DESKTOP);
  }],
  // The manifest makes the game installable: it parses, and its icons load at their sizes.
  ["manifest", async (run) => {
    const manifest = await run.tab.evaluate(async () => {
      const parsed = await (await fetch("manifest.webmanifest")).json();
      const sizes = [];
      for (const icon of parsed.icons) {
        const image = new Image();
        image.src = icon.src;
        await image.decode();
        sizes.push(`${icon.sizes}:${image.naturalWidth}x${image.naturalHeight}`);
      }
      return { parsed, sizes };
    });
    check(manifest.parsed.name === "Rocket" && ["fullscreen", "standalone"].includes(
              manifest.parsed.display) && manifest.parsed.orientation === "landscape" &&
          same(manifest.sizes, ["192x192:192x192", "512x512:512x512"]),
          `${run.name}: the manifest and its icons: ${manifest.sizes}`);
  }],
  ["end", (run) => checkEnd(run.tab, run.name)],
  // Offline: the service worker kept the site on the first visit, and plays it with the server
  // gone.
  ["offline", async (run) => {
    await run.tab.evaluate(() => navigator.serviceWorker.ready.then(() => true));
    run.firstStore = await run.tab.evaluate(() => caches.keys());
    run.server.kill();
    await run.tab.reload();
    await firstFrame(run.tab);
    await played(run.tab, 25);
    await checkLines(run.tab, `${run.name}, offline`);
    checkCentre(await shot(run.tab, `${run.slug}-offline`), `${run.name}, offline`);
    run.server = (await serve(run.site, run.port)).server;
  }],
  // A rebuild with a changed file: the next visit stores the new copy and deletes the old one,
  // and the one after plays the new files.
  ["rebuild", async (run) => {
    const page = join(run.site, "index.html");
    writeFileSync(page, readFileSync(page, "utf8").replace("</html>", "<!-- rebuilt -->\n</html>"));
    execFileSync(join(root, "scripts", "seal-site"), [run.site]);
    await run.tab.reload();
    // Asked again and again: the new worker's take-over reloads the page, which ends a script
    // running in it, and a worker whose install ran while the server was still away is looked
    // for again, as the browser would at the next visit.
    let names = [];
    for (const until = Date.now() + 30000; Date.now() < until; await settle(5)) {
      names = await run.tab.evaluate(async () => {
        const registration = await navigator.serviceWorker.getRegistration();
        await registration?.update().catch(() => {});
        return caches.keys();
      }).catch(() => []);
      if (names.length === 1 && names[0] !== run.firstStore[0]) {
        break;
      }
    }
    await run.tab.reload();
    await firstFrame(run.tab);
    const newStore = await run.tab.evaluate(() => caches.keys());
    const rebuilt = await run.tab.evaluate(
        () => document.documentElement.outerHTML.includes("<!-- rebuilt -->"));
    check(run.firstStore.length === 1 && newStore.length === 1 && newStore[0] !== run.firstStore[0] &&
          rebuilt, `${run.name}: after a rebuild: ${run.firstStore} replaced by ${newStore}, ` +
                   `new files served: ${rebuilt}`);
    await run.tab.close();
  }],
  // Opened as a file, with no server at all: it plays all the same, without the offline part.
  ["file", async (run) => {
    const local = await open(run.browser, `file://${join(run.site, "index.html")}`, DESKTOP);
    await played(local, 25);
    await checkLines(local, `${run.name}, opened as a file`);
    checkCentre(await shot(local, `${run.slug}-file`), `${run.name}, opened as a file`);
    await local.close();
  }],
  // From an insecure origin there is no service worker, and the game plays all the same.
  ["insecure", async (run) => {
    const insecure = await open(run.browser, run.url.replace("127.0.0.1", "rocket.test"), DESKTOP);
    await played(insecure, 25);
    await checkLines(insecure, `${run.name}, from an insecure origin`);
    checkCentre(await shot(insecure, `${run.slug}-insecure`), `${run.name}, from an insecure origin`);
    check(!(await insecure.evaluate(() => window.isSecureContext || "serviceWorker" in navigator)),
          `${run.name}, from an insecure origin: no service worker`);
    await insecure.close();
  }],
  // A phone held sideways: the canvas fills the height, and touch controls steer.
  ["touch", async (run) => {
    const phone = await open(run.browser, run.url, { width: 844, height: 390, deviceScaleFactor: 3,
                                                     isMobile: true, hasTouch: true });
    await played(phone, 25);
    await checkLines(phone, `${run.name}, phone`);
    checkFit(await fitOf(phone), `${run.name}: 844x390 phone`, 640);
    const controls = await phone.evaluate(() => Object.fromEntries(["left", "right", "thrust"].map(
        (id) => {
          const box = document.getElementById(id).getBoundingClientRect();
          return [id, [box.x + box.width / 2, box.y + box.height / 2, box.width > 0]];
        })));
    check(Object.values(controls).every((c) => c[2]), `${run.name}: touch controls on a touch screen`);
    const spot = (id) => controls[id].slice(0, 2);
    const phoneRest = await shot(phone, `${run.slug}-phone-rest`);
    checkCentre(phoneRest, `${run.name}, phone`);
    const phoneSilent = await soundOf(phone);
    check(phoneSilent === "suspended", `${run.name}, phone: no sound before a tap: ${phoneSilent}`);
    await phone.touch("touchStart", spot("right"));
    await frames(phone, 2);
    await phone.touch("touchEnd");
    const phoneSounding = await soundOf(phone, "running");
    check(phoneSounding === "running",
          `${run.name}, phone: the sound starts on the first tap: ${phoneSounding}`);
    const tapped = await shot(phone, `${run.slug}-phone-turned`);
    check(centreChanges(phoneRest, tapped) > 20, `${run.name}: a tap on the right control turns the rocket`);
    // A finger that slides off its control lets it go.
    await phone.touch("touchStart", spot("left"));
    await frames(phone, 2);
    await phone.touch("touchMove", [controls.left[0], controls.left[1] - 150]);
    await frames(phone, 2);
    const slid = await shot(phone, `${run.slug}-phone-slid`);
    await frames(phone, 4);
    check(centreChanges(slid, await shot(phone, `${run.slug}-phone-slid-later`)) === 0,
          `${run.name}: a finger that slides off the control stops the turn`);
    await phone.touch("touchEnd");
    await phone.touch("touchStart", spot("thrust"));
    await frames(phone, 8);
    const thrusting = await shot(phone, `${run.slug}-phone-thrust`);
    check(flame(thrusting) > 5,
          `${run.name}: holding the thrust control shows the flame (${flame(thrusting)})`);
    // Two fingers: turning while thrusting. The rocket turns a heading a frame, so two shots a
    // whole turn apart (16 frames, or 32...) look alike: a spin shows in one of a few more shots,
    // each a frame further on than the last.
    await phone.touch("touchStart", spot("thrust"), spot("left"));
    await frames(phone, 2);
    const both = await shot(phone, `${run.slug}-phone-both`);
    let bothLater;
    let turned = 0;
    for (let wait = 2; wait < 6 && turned <= 20; ++wait) {
      await frames(phone, wait);
      bothLater = await shot(phone, `${run.slug}-phone`);
      turned = rocketOf(both).filter((p, i) => p !== rocketOf(bothLater)[i]).length;
    }
    const heldControls = await phone.evaluate(
        () => [...document.querySelectorAll("#touch button.held")].map((button) => button.id));
    check(flame(bothLater) > 5 && turned > 20,
          `${run.name}: two fingers at once turn and thrust (flame ${flame(bothLater)}, ` +
          `${turned} rocket pixels turned, controls held: ${heldControls})`);
    await phone.touch("touchCancel");
    await frames(phone, 6);
    const cancelled = await shot(phone, `${run.slug}-phone-cancelled`);
    await frames(phone, 3);
    const afterCancel = await shot(phone, `${run.slug}-phone-after`);
    // Stars drift past a coasting rocket; a turn would change far more of its pixels.
    const turning = rocketOf(cancelled).filter((p, i) => p !== rocketOf(afterCancel)[i]).length;
    check(flame(cancelled) === 0 && turning < 10,
          `${run.name}: a cancelled touch lets go of both controls (flame ${flame(cancelled)}, ` +
          `${turning} rocket pixels changed)`);
    await phone.close();
  }],
];

// A copy of the site with the test's preload in its page, sealed again as a build would.
function siteWithPreload() {
  const site = mkdtempSync(join(tmpdir(), "rocket-site-"));
  cpSync(builtSite, site, { recursive: true });
  addPreload(site);
  execFileSync(join(root, "scripts", "seal-site"), [site]);
  return site;
}

// Every part in one engine, on a site and server of its own; gives the frame at rest.
async function playEverything(engine, reference) {
  const site = siteWithPreload();
  const { server, port, url } = await serve(site);
  // Chromium's name for loopback that is not "localhost", for an insecure origin.
  const browser = await engine.start(["--window-size=1400,880",
                                      "--host-resolver-rules=MAP rocket.test 127.0.0.1"]);
  const run = { name: engine.name, slug: engine.slug, browser, site, server, port, url, reference };
  try {
    for (const [part, play] of parts) {
      const reason = engine.cannot[part];
      if (reason) {
        console.log(`not driven in ${engine.name}: ${part}, since ${reason}`);
        notDriven.push(`${engine.name}: ${part}`);
      } else {
        await play(run);
      }
    }
    run.firstFrameMs = run.tab.firstFrameMs;
    return run;
  } finally {
    await browser.close();
    run.server.kill();
    rmSync(site, { recursive: true, force: true });
  }
}

const chromium = await playEverything(engines[0]);
writeFileSync(join(shots, "web-first-frame-ms.txt"), `${chromium.firstFrameMs.toFixed(0)}\n`);
console.log(`page load to first frame in Chromium: ${chromium.firstFrameMs.toFixed(0)} ms`);
for (const engine of engines.slice(1)) {
  await playEverything(engine, chromium.rest);
}
// Without WebGL the game draws in software on a plain canvas.
const site = siteWithPreload();
const { server, url } = await serve(site);
try {
  for (const engine of noWebGL) {
    const browser = await engine.start();
    try {
      await playsTheBasics(await open(browser, url, DESKTOP), engine.name, engine.slug, chromium.rest);
    } finally {
      await browser.close();
    }
  }
} finally {
  server.kill();
  rmSync(site, { recursive: true, force: true });
}

console.log(`not driven, for the reasons above: ${notDriven.join("; ") || "nothing"}`);
if (failures.length) {
  console.log(`${failures.length} failure(s)`);
  process.exit(1);
}
