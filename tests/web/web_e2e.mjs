// The game's page played in real headless Chromium: node web_e2e.mjs SITE ASSETS. A copy of the
// site is served on loopback; the test reads the console, looks at the canvas through
// screenshots, steers with the arrow keys and a gamepad, loses the focus with a key held, and
// quits with Escape. Then it checks the download against its budget, the canvas's fit on a
// laptop's, a desktop's and phones' screens, the web app manifest, play with the network off
// (before and after a rebuild), opened as a file and from an insecure origin, and touch
// controls on a phone held sideways. Then the basics again in Chromium without WebGL and in
// Firefox (run it under a display, xvfb-run say, for the Firefox that has WebGL) and headless
// Firefox. Screenshots stay beside the site.
import { execFileSync } from "node:child_process";
import { cpSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync }
  from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { gzipSync, inflateSync } from "node:zlib";
import { launch, launchFirefox, markFirstFrame, serve } from "./browser.mjs";

const [builtSite, assets] = process.argv.slice(2);
const root = join(dirname(fileURLToPath(import.meta.url)), "..", "..");
const shots = join(builtSite, "..");
// A copy, since the offline check rebuilds it.
const site = mkdtempSync(join(tmpdir(), "rocket-site-"));
cpSync(builtSite, site, { recursive: true });
const GLASS = [22, 34, 72];
const WHITE = [250, 250, 250];
const FLAME = [[255, 252, 214], [255, 214, 80], [252, 136, 36], [214, 64, 32]];  // core to edge
const failures = [];

function check(ok, message) {
  console.log(`${ok ? "ok  " : "FAIL"} ${message}`);
  if (!ok) {
    failures.push(message);
  }
}

// An 8-bit RGB or RGBA PNG, as Chromium writes its screenshots, decoded to rows of pixels.
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

// The canvas as the player sees it, read by canvas pixel (x, y) of 320x180.
async function shot(page, name) {
  const box = await (await page.$("#canvas")).boundingBox();
  const png = await page.screenshot({ clip: box, path: join(shots, `web-${name}.png`) });
  const image = decodePng(Buffer.from(png));
  const scale = image.width / 320;
  return (x, y) => image.at(Math.floor((x + 0.5) * scale), Math.floor((y + 0.5) * scale));
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

function differing(a, b) {
  let count = 0;
  for (let y = 0; y < 180; y += 2) {
    for (let x = 0; x < 320; x += 2) {
      if ((x < 135 || x >= 185 || y < 65 || y >= 115) && !same(a(x, y), b(x, y))) {
        ++count;
      }
    }
  }
  return count;
}

// Canvas pixels that differ anywhere but where the ball is in either picture: at rest the ball
// is all that moves. The ball wears the eyes, whose glint is 2 pixels up and left of its centre;
// the captain's own glint in the porthole is at (158, 88).
function differingBesidesTheBall(a, b) {
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
      count += !nearBall && !same(a(x, y), b(x, y));
    }
  }
  return count;
}

// The game's basics in `page`, a browser other than the main one: its lines, the frame at rest
// as the reference shows it (pixel for pixel, but for the ball), a turn, the flame and Escape.
async function playsTheBasics(page, engine, name, reference) {
  await settle(25);
  checkLines(page.lines, engine);
  const rest = await shot(page, `${name}-rest`);
  checkCentre(rest, `${engine}, at rest`);
  const unlike = differingBesidesTheBall(reference, rest);
  check(unlike === 0, `${engine}: the frame at rest is Chromium's with WebGL, pixel for pixel, ` +
                      `but for the ball (${unlike} pixels differ)`);
  // Held for a few frames: a press and release within one frame is never seen, and a frame
  // drawn in software on a busy machine can take longer than one drawn with WebGL.
  await page.keyboard.down("ArrowRight");
  await settle(5);
  await page.keyboard.up("ArrowRight");
  await settle(3);
  const turned = await shot(page, `${name}-turned`);
  check(centreChanges(rest, turned) > 20, `${engine}: the right arrow turns the rocket`);
  await page.keyboard.down("ArrowUp");
  await settle(8);
  const burning = await shot(page, `${name}-thrust`);
  await page.keyboard.up("ArrowUp");
  check(flame(burning) > 5, `${engine}: holding up shows the flame (${flame(burning)})`);
  await page.keyboard.press("Escape");
  await page.waitForFunction(() => document.getElementById("status").textContent.includes("ended"),
                             { timeout: 10000 }).catch(() => {});
  const status = await page.$eval("#status", (element) => element.textContent);
  check(status === "The game has ended. Reload the page to play again.",
        `${engine}, after Escape: "${status}"`);
}

// Starts the game in a new page of `browser` with the given viewport and waits for its first
// frame; the page notes its console lines and the responses that came before that frame.
async function open(browser, url, viewport) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.lines = [];
  page.responses = [];
  page.on("console", (message) => page.lines.push(message.text()));
  page.on("pageerror", (error) => check(false, `page error: ${error.message}`));
  page.on("response", (response) => page.responses.push(response.url()));
  // A gamepad in the standard layout stands behind the page's Gamepad API from the start; the
  // test moves it, with a new time stamp for each change as a browser gives one.
  await page.evaluateOnNewDocument(markFirstFrame);
  // Headless Chromium lets every audio context run; this stands in for a browser's rule that a
  // page's sound starts only in answer to the player: a new context is suspended, and resuming
  // it works only while the page has the player's activation.
  await page.evaluateOnNewDocument(() => {
    window.audioContexts = [];
    const Native = window.AudioContext;
    window.AudioContext = window.webkitAudioContext = class extends Native {
      constructor(...options) {
        super(...options);
        super.suspend();
        window.audioContexts.push(this);
      }
      resume() {
        return navigator.userActivation.isActive ? super.resume()
          : Promise.reject(new DOMException("no gesture", "NotAllowedError"));
      }
    };
    // What SDL writes into the output, as the loudest sample since the test last asked.
    window.loudest = 0;
    const handler = Object.getOwnPropertyDescriptor(ScriptProcessorNode.prototype, "onaudioprocess");
    Object.defineProperty(ScriptProcessorNode.prototype, "onaudioprocess", {
      configurable: true,
      get() { return handler.get.call(this); },
      set(fill) {
        handler.set.call(this, fill && ((event) => {
          fill(event);
          for (const sample of event.outputBuffer.getChannelData(0)) {
            window.loudest = Math.max(window.loudest, Math.abs(sample));
          }
        }));
      },
    });
  });
  await page.evaluateOnNewDocument(() => {
    window.testPad = { id: "Test pad", index: 0, connected: true, mapping: "standard", timestamp: 1,
                       axes: [0, 0, 0, 0],
                       buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false,
                                                                     value: 0 })) };
    Object.defineProperty(Navigator.prototype, "getGamepads",
                          { value: () => [window.testPad, null, null, null], configurable: true });
  });
  await page.goto(url);
  await firstFrame(page);
  return page;
}

async function firstFrame(page) {
  await page.waitForFunction(() => window.firstFrameMs !== undefined, { timeout: 30000 });
  page.firstFrameMs = await page.evaluate(() => window.firstFrameMs);
}

// The states of the page's audio contexts, after what was asked of them has settled.
async function soundOf(page) {
  await settle(3);
  return page.evaluate(() => window.audioContexts.map((context) => context.state).join(","));
}

// The self-test's two lines, then one loading line per image, in table order.
const expectedLines = ["validating collision detection...", "collision detection is ~mostly~ valid",
                       ...readdirSync(assets).filter((f) => f.endsWith(".bmp")).sort()
                           .map((f) => `loading assets/${f}`)];
function checkLines(lines, when) {
  check(expectedLines.length === 51 && same(lines.slice(0, 51), expectedLines),
        `${when}: the console shows the self-test and the 49 loading lines in order ` +
        `(${lines.length} lines)`);
  check(!lines.some((l) => l.startsWith("error")), `${when}: no error line`);
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
async function fitOf(page) {
  return page.evaluate(() => {
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

const { server, url } = await serve(site);
const profile = mkdtempSync(join(tmpdir(), "rocket-chromium-"));
const browser = await launch(["--window-size=1400,880",
                              // A name for the loopback server that is not "localhost": an
                              // insecure origin.
                              "--host-resolver-rules=MAP rocket.test 127.0.0.1"],
                             { userDataDir: profile, defaultViewport: null });
try {
  const desktop = { width: 1400, height: 880 };
  const page = await open(browser, url, desktop);
  const firstFrameMs = page.firstFrameMs;
  await settle(25);  // the ball leaves the centre
  checkLines(page.lines, "desktop");
  const touchShown = await page.$eval("#left", (control) => control.offsetParent !== null);
  check(!touchShown, "no touch controls on a screen without touch");

  const rest = await shot(page, "rest");
  checkCentre(rest, "at rest");
  const hull = rest(160, 84);
  check(!same(hull, GLASS) && !same(hull, [0, 0, 0]), `hull above the porthole: ${hull}`);

  const silent = await soundOf(page);
  check(silent === "suspended", `no sound before the first key: ${silent}`);
  await page.keyboard.down("ArrowRight");
  await settle(2);
  await page.keyboard.up("ArrowRight");
  const sounding = await soundOf(page);
  check(sounding === "running", `the sound starts on the first key: ${sounding}`);
  const turned = await shot(page, "turned");
  const changed = centreChanges(rest, turned);
  check(changed > 20 && same(turned(160, 90), GLASS),
        `the right arrow turned the rocket (${changed} pixels changed)`);

  const tiltStick = (x) => page.evaluate((x) => {
    window.testPad.axes[0] = x;
    window.testPad.timestamp += 1;
  }, x);
  await tiltStick(-1);
  await settle(5);  // a tilt and its return within one frame would never be seen
  await tiltStick(0);
  await settle(3);
  const padTurned = await shot(page, "pad-turned");
  // The sound button presses M for the player, and the page remembers the choice; M itself
  // turns it back on.
  const muteState = () => page.evaluate(() => [localStorage.getItem("rocket.muted"),
    document.getElementById("mute").getAttribute("aria-pressed")].join(" "));
  await page.click("#mute");
  const mutedState = await muteState();
  await page.keyboard.press("m");
  const unmutedState = await muteState();
  check(mutedState === "1 true" && unmutedState === "0 false",
        `the sound button and M: "${mutedState}", then "${unmutedState}"`);
  const padChanged = centreChanges(turned, padTurned);
  check(padChanged > 20 && same(padTurned(160, 90), GLASS),
        `the gamepad's stick turned the rocket back (${padChanged} pixels changed)`);

  // Another tab takes the focus while the right arrow is held: the rocket stops turning.
  await page.keyboard.down("ArrowRight");
  await settle(2);
  const other = await browser.newPage();
  await other.bringToFront();
  await settle(3);
  const away = await shot(page, "focus-lost");
  await settle(4);
  const stillAway = await shot(page, "focus-lost-later");
  check(centreChanges(away, stillAway) === 0,
        "losing the focus with the right arrow held stops the turn");
  const hidden = await page.evaluate(() => document.visibilityState);
  const hiddenSound = await soundOf(page);
  check(hidden !== "hidden" || hiddenSound === "suspended",
        `a hidden page is silent (${hidden}: ${hiddenSound})`);
  await other.close();
  await page.bringToFront();
  await page.keyboard.up("ArrowRight");

  await page.evaluate(() => { window.loudest = 0; });
  await page.keyboard.down("ArrowUp");
  await settle(8);
  const rumble = await page.evaluate(() => window.loudest);
  check(rumble > 0.02 && rumble < 1,
        `shown again, the thruster is heard while up is held (${rumble.toFixed(3)})`);
  const burning = await shot(page, "thrust");
  await settle(4);
  const later = await shot(page, "flying");
  await page.screenshot({ path: join(shots, "web-page.png") });  // the whole page, in flight
  await page.keyboard.up("ArrowUp");
  check(flame(burning) > 5, `holding up shows the flame (${flame(burning)} flame pixels)`);
  const moved = differing(burning, later);
  check(moved > 50, `the view scrolls while flying (${moved} backdrop pixels moved)`);
  checkFit(await fitOf(page), "1400x880 with the arrows held", 1280);

  // What came before the first frame must stay within the download budget.
  const before = [...new Set(page.responses)].map((u) => new URL(u).pathname.slice(1) || "index.html")
      .filter((name) => statSync(join(site, name), { throwIfNoEntry: false }));
  const raw = before.reduce((sum, name) => sum + statSync(join(site, name)).size, 0);
  const zipped = before.reduce((sum, name) =>
      sum + Math.min(statSync(join(site, name)).size,
                     gzipSync(readFileSync(join(site, name)), { level: 9 }).length), 0);
  check(raw <= 1000000 && zipped <= 250000,
        `before the first frame ${before.join(", ")}: ${raw} bytes, ${zipped} gzipped`);

  // The page fits other screens: the whole canvas, at the largest size that fits.
  for (const [width, height, ratio, expected] of [[1366, 657, 1, 960], [1920, 960, 1, 1280],
                                                 [390, 844, 3, 320]]) {
    await page.setViewport({ width, height, deviceScaleFactor: ratio });
    await settle(2);
    checkFit(await fitOf(page), `${width}x${height} at ${ratio}x`, expected);
  }
  await page.setViewport(desktop);

  // The manifest makes the game installable: it parses, and its icons load at their sizes.
  const manifest = await page.evaluate(async () => {
    const text = await (await fetch("manifest.webmanifest")).text();
    const parsed = JSON.parse(text);
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
        `the manifest and its icons: ${manifest.sizes}`);

  await page.keyboard.press("Escape");
  await page.waitForFunction(() => document.getElementById("status").textContent.includes("ended"),
                             { timeout: 10000 }).catch(() => {});
  const status = await page.$eval("#status", (element) => element.textContent);
  check(status === "The game has ended. Reload the page to play again.", `after Escape: "${status}"`);

  // Offline: the service worker kept the site on the first visit.
  await page.evaluate(() => navigator.serviceWorker.ready);
  const stores = () => page.evaluate(() => caches.keys());
  const firstStore = await stores();
  await page.setOfflineMode(true);
  page.lines.length = 0;
  await page.reload();
  await firstFrame(page);
  await settle(25);
  checkLines(page.lines, "offline");
  checkCentre(await shot(page, "offline"), "offline");

  // A rebuild with a changed file: the next visit stores the new copy and deletes the old one,
  // and the one after plays the new files.
  await page.setOfflineMode(false);
  writeFileSync(join(site, "index.html"),
                readFileSync(join(site, "index.html"), "utf8").replace("</html>", "<!-- rebuilt -->\n</html>"));
  execFileSync(join(root, "scripts", "seal-site"), [site]);
  await page.reload();
  // Asked again and again: the new worker's take-over reloads the page, which ends a wait that
  // was running in it, and a worker whose install ran while the network was still off for it
  // is looked for again, as the browser would at the next visit.
  for (const until = Date.now() + 30000; Date.now() < until; await settle(5)) {
    const names = await page.evaluate(async () => {
      const registration = await navigator.serviceWorker.getRegistration();
      await registration?.update().catch(() => {});
      return caches.keys();
    }).catch(() => []);
    if (names.length === 1 && names[0] !== firstStore[0]) {
      break;
    }
  }
  await page.reload();
  await firstFrame(page);
  const newStore = await stores();
  const rebuilt = (await page.content()).includes("<!-- rebuilt -->");
  check(firstStore.length === 1 && newStore.length === 1 && newStore[0] !== firstStore[0] &&
        rebuilt, `after a rebuild: ${firstStore} replaced by ${newStore}, new files served: ${rebuilt}`);
  await page.close();

  // Opened as a file, with no server at all: it plays all the same, without the offline part.
  const local = await open(browser, `file://${join(site, "index.html")}`, desktop);
  await settle(25);
  checkLines(local.lines, "opened as a file");
  checkCentre(await shot(local, "file"), "opened as a file");
  await local.close();

  // From an insecure origin there is no service worker, and the game plays all the same.
  const insecure = await open(browser, url.replace("127.0.0.1", "rocket.test"), desktop);
  await settle(25);
  checkLines(insecure.lines, "from an insecure origin");
  checkCentre(await shot(insecure, "insecure"), "from an insecure origin");
  check(!(await insecure.evaluate(() => window.isSecureContext || "serviceWorker" in navigator)),
        "from an insecure origin: no service worker");
  await insecure.close();

  // A phone held sideways: the canvas fills the height, and touch controls steer.
  const phone = await open(browser, url, { width: 844, height: 390, deviceScaleFactor: 3,
                                           isMobile: true, hasTouch: true });
  await settle(25);
  checkLines(phone.lines, "phone");
  checkFit(await fitOf(phone), "844x390 phone", 640);
  const controls = {};
  for (const id of ["left", "right", "thrust"]) {
    const box = await (await phone.$(`#${id}`)).boundingBox();
    controls[id] = { x: box.x + box.width / 2, y: box.y + box.height / 2, shown: box.width > 0 };
  }
  check(Object.values(controls).every((c) => c.shown), "touch controls on a touch screen");
  const touch = await phone.target().createCDPSession();
  const fingers = (type, ...at) => touch.send("Input.dispatchTouchEvent", {
    type, touchPoints: at.map(([x, y], id) => ({ x, y, id })) });
  const spot = (id) => [controls[id].x, controls[id].y];
  const phoneRest = await shot(phone, "phone-rest");
  checkCentre(phoneRest, "phone");
  const phoneSilent = await soundOf(phone);
  check(phoneSilent === "suspended", `phone: no sound before a tap: ${phoneSilent}`);
  await fingers("touchStart", spot("right"));
  await settle(2);
  await fingers("touchEnd");
  const phoneSounding = await soundOf(phone);
  check(phoneSounding === "running", `phone: the sound starts on the first tap: ${phoneSounding}`);
  const tapped = await shot(phone, "phone-turned");
  check(centreChanges(phoneRest, tapped) > 20, "a tap on the right control turns the rocket");
  // A finger that slides off its control lets it go.
  await fingers("touchStart", spot("left"));
  await settle(2);
  await fingers("touchMove", [controls.left.x, controls.left.y - 150]);
  await settle(2);
  const slid = await shot(phone, "phone-slid");
  await settle(4);
  check(centreChanges(slid, await shot(phone, "phone-slid-later")) === 0,
        "a finger that slides off the control stops the turn");
  await fingers("touchEnd");
  await fingers("touchStart", spot("thrust"));
  await settle(8);
  const thrusting = await shot(phone, "phone-thrust");
  check(flame(thrusting) > 5, `holding the thrust control shows the flame (${flame(thrusting)})`);
  // Two fingers: turning while thrusting.
  await fingers("touchStart", spot("thrust"), spot("left"));
  await settle(2);
  const both = await shot(phone, "phone-both");
  await settle(2);
  const bothLater = await shot(phone, "phone-both-later");
  check(flame(bothLater) > 5 && centreChanges(both, bothLater) > 20,
        "two fingers at once turn and thrust");
  await phone.screenshot({ path: join(shots, "web-phone.png") });
  await fingers("touchCancel");
  await settle(6);
  const cancelled = await shot(phone, "phone-cancelled");
  await settle(3);
  const afterCancel = await shot(phone, "phone-after");
  // Stars drift past a coasting rocket; a turn would change far more of its pixels.
  const turning = rocketOf(cancelled).filter((p, i) => p !== rocketOf(afterCancel)[i]).length;
  check(flame(cancelled) === 0 && turning < 10,
        `a cancelled touch lets go of both controls (flame ${flame(cancelled)}, ${turning} ` +
        "rocket pixels changed)");

  // The page in other browsers, and in browsers that lend it no WebGL (where the game draws in
  // software on a plain canvas): Chromium without WebGL, Firefox on a display (with WebGL) and
  // headless Firefox (without). The same checks for each.
  const others = [["no WebGL", "no-webgl", () => launch(["--disable-webgl"])],
                  ["Firefox", "firefox", () => launchFirefox(false)],
                  ["headless Firefox", "firefox-headless", () => launchFirefox(true)]];
  for (const [engine, name, start] of others) {
    const other = await start();
    try {
      await playsTheBasics(await open(other, url, desktop), engine, name, rest);
    } finally {
      await other.close();
    }
  }

  writeFileSync(join(shots, "web-first-frame-ms.txt"), `${firstFrameMs.toFixed(0)}\n`);
  console.log(`page load to first frame: ${firstFrameMs.toFixed(0)} ms`);
} finally {
  await browser.close();
  server.kill();
  rmSync(profile, { recursive: true, force: true });
  rmSync(site, { recursive: true, force: true });
}

if (failures.length) {
  console.log(`${failures.length} failure(s)`);
  process.exit(1);
}
