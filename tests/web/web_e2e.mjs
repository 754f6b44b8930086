// The game's page played in real headless Chromium: node web_e2e.mjs SITE ASSETS. The site is
// served on loopback; the test reads the console, looks at the canvas through screenshots,
// steers with the arrow keys and a gamepad, and quits with Escape. Screenshots stay beside the site.
import { spawn } from "node:child_process";
import { mkdtempSync, readdirSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { inflateSync } from "node:zlib";
import puppeteer from "puppeteer-core";

const [site, assets] = process.argv.slice(2);
const GLASS = [22, 34, 72];
const WHITE = [250, 250, 250];
const failures = [];

function check(ok, message) {
  console.log(`${ok ? "ok  " : "FAIL"} ${message}`);
  if (!ok) {
    failures.push(message);
  }
}

// Serves the site with Python's http.server on a free loopback port.
function serve() {
  return new Promise((resolve, reject) => {
    const server = spawn("/usr/bin/python3", ["-u", "-m", "http.server", "0", "--bind", "127.0.0.1"],
                         { cwd: site, stdio: ["ignore", "pipe", "ignore"] });
    server.stdout.on("data", (data) => {
      const port = /port (\d+)/.exec(String(data));
      if (port) {
        resolve({ server, url: `http://127.0.0.1:${port[1]}/` });
      }
    });
    server.on("exit", () => reject(new Error("the web server stopped")));
  });
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

// The canvas as the player sees it; canvas pixel (x, y) of 320x180 is 4x4 page pixels.
async function shot(page, name) {
  const box = await (await page.$("#canvas")).boundingBox();
  const png = await page.screenshot({ clip: box, path: join(site, `..`, `web-${name}.png`) });
  const image = decodePng(Buffer.from(png));
  return (x, y) => image.at(x * 4 + 1, y * 4 + 1);
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

const { server, url } = await serve();
const profile = mkdtempSync(join(tmpdir(), "rocket-chromium-"));
const browser = await puppeteer.launch({
  executablePath: "/usr/bin/chromium",
  headless: true,
  userDataDir: profile,
  // Software WebGL, and none of the background traffic this machine's closed network refuses.
  args: ["--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--disable-quic", "--no-first-run", "--window-size=1400,880"],
  // Tall enough to show the whole canvas, short enough that the page could scroll.
  defaultViewport: { width: 1400, height: 880 },
});
try {
  const page = await browser.newPage();
  const lines = [];
  page.on("console", (message) => lines.push(message.text()));
  page.on("pageerror", (error) => check(false, `page error: ${error.message}`));
  // The first frame is the first WebGL draw after the page started loading. A gamepad in the
  // standard layout stands behind the page's Gamepad API from the start; the test moves it,
  // with a new time stamp for each change as a browser gives one.
  await page.evaluateOnNewDocument(() => {
    window.testPad = { id: "Test pad", index: 0, connected: true, mapping: "standard", timestamp: 1,
                       axes: [0, 0, 0, 0],
                       buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false,
                                                                     value: 0 })) };
    Object.defineProperty(Navigator.prototype, "getGamepads",
                          { value: () => [window.testPad, null, null, null], configurable: true });
    for (const context of [WebGLRenderingContext, WebGL2RenderingContext]) {
      for (const name of ["drawArrays", "drawElements"]) {
        const draw = context.prototype[name];
        context.prototype[name] = function (...args) {
          window.firstFrameMs ??= performance.now();
          return draw.apply(this, args);
        };
      }
    }
  });
  await page.goto(url);
  await page.waitForFunction(() => window.firstFrameMs !== undefined, { timeout: 30000 });
  const firstFrameMs = await page.evaluate(() => window.firstFrameMs);
  await settle(25);  // the ball leaves the centre

  const expected = ["validating collision detection...", "collision detection is ~mostly~ valid",
                    ...readdirSync(assets).filter((f) => f.endsWith(".bmp")).sort()
                        .map((f) => `loading assets/${f}`)];
  check(expected.length === 51 && same(lines.slice(0, 51), expected),
        `the console shows the self-test and the 49 loading lines in order (${lines.length} lines)`);
  check(!lines.some((l) => l.startsWith("error")), "no error line");

  const rest = await shot(page, "rest");
  check(same(rest(160, 90), GLASS), `porthole glass at the centre: ${rest(160, 90)}`);
  check(same(rest(158, 89), WHITE), `an eye in the porthole: ${rest(158, 89)}`);
  const hull = rest(160, 84);
  check(!same(hull, GLASS) && !same(hull, [0, 0, 0]), `hull above the porthole: ${hull}`);

  await page.keyboard.down("ArrowRight");
  await settle(2);
  await page.keyboard.up("ArrowRight");
  await settle(3);
  const turned = await shot(page, "turned");
  const changed = centreChanges(rest, turned);
  check(changed > 20 && same(turned(160, 90), GLASS),
        `the right arrow turned the rocket (${changed} pixels changed)`);

  const tiltStick = (x) => page.evaluate((x) => {
    window.testPad.axes[0] = x;
    window.testPad.timestamp += 1;
  }, x);
  await tiltStick(-1);
  await settle(2);
  await tiltStick(0);
  await settle(3);
  const padTurned = await shot(page, "pad-turned");
  const padChanged = centreChanges(turned, padTurned);
  check(padChanged > 20 && same(padTurned(160, 90), GLASS),
        `the gamepad's stick turned the rocket back (${padChanged} pixels changed)`);

  await page.keyboard.down("ArrowUp");
  await settle(8);
  const burning = await shot(page, "thrust");
  await settle(4);
  const later = await shot(page, "flying");
  await page.screenshot({ path: join(site, "..", "web-page.png") });  // the whole page, in flight
  await page.keyboard.up("ArrowUp");
  let flame = 0;
  for (let y = 70; y < 110; ++y) {
    for (let x = 140; x < 180; ++x) {
      const [r, g, b] = burning(x, y);
      flame += r > 200 && g > 60 && b < 120;
    }
  }
  check(flame > 5, `holding up shows the flame (${flame} flame pixels)`);
  const moved = differing(burning, later);
  check(moved > 50, `the view scrolls while flying (${moved} backdrop pixels moved)`);
  const scrolling = await page.evaluate(() => [window.scrollY,
                                               document.documentElement.scrollHeight > innerHeight]);
  check(same(scrolling, [0, true]), `the arrow keys did not scroll the page (${scrolling})`);

  await page.keyboard.press("Escape");
  await page.waitForFunction(() => document.getElementById("status").textContent.includes("ended"),
                             { timeout: 10000 }).catch(() => {});
  const status = await page.$eval("#status", (element) => element.textContent);
  check(status === "The game has ended. Reload the page to play again.", `after Escape: "${status}"`);

  writeFileSync(join(site, "..", "web-first-frame-ms.txt"), `${firstFrameMs.toFixed(0)}\n`);
  console.log(`page load to first frame: ${firstFrameMs.toFixed(0)} ms`);
} finally {
  await browser.close();
  server.kill();
  rmSync(profile, { recursive: true, force: true });
}

if (failures.length) {
  console.log(`${failures.length} failure(s)`);
  process.exit(1);
}
