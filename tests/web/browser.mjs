// What the browser test and the web figures (tools/web_figures.mjs) share: a loopback server for
// a folder, the three browser engines as this machine can run them behind one small interface,
// and the scripts the test puts in the page before the game's own.
import { spawn, spawnSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createServer } from "node:net";
import { tmpdir } from "node:os";
import { join } from "node:path";
import puppeteer from "puppeteer-core";
import { Builder, By, Key } from "selenium-webdriver";

// Serves `folder` with Python's http.server on loopback, on `port` or a free one; stopping the
// server and serving again on the same port is the network going away and coming back.
export function serve(folder, port = 0) {
  return new Promise((resolve, reject) => {
    const server = spawn("/usr/bin/python3", ["-u", "-m", "http.server", String(port), "--bind",
                                              "127.0.0.1"],
                         { cwd: folder, stdio: ["ignore", "pipe", "ignore"] });
    server.stdout.on("data", (data) => {
      const found = /port (\d+)/.exec(String(data));
      if (found) {
        resolve({ server, port: Number(found[1]), url: `http://127.0.0.1:${found[1]}/` });
      }
    });
    server.on("exit", () => reject(new Error("the web server stopped")));
  });
}

const pause = (ms) => new Promise((done) => setTimeout(done, ms));

function freePort() {
  return new Promise((resolve) => {
    const probe = createServer().listen(0, "127.0.0.1", () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// Debian's Chromium, headless, with software WebGL and none of the background traffic this
// machine's closed network refuses.
export function launch(args = [], options = {}) {
  return puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--disable-quic", "--no-first-run", ...args],
    ...options,
  });
}

// A sound server of the browsers' own, PulseAudio playing into a sink that goes nowhere, started
// once and stopped with the test: the machine may have no sound device, and without one Firefox
// never lets an audio context run (the stand-in device of its own tests is in some versions only).
let soundEnv = null;
async function soundServer() {
  if (soundEnv === null) {
    const folder = mkdtempSync(join(tmpdir(), "rocket-browser-sound-"));
    writeFileSync(join(folder, "client.conf"), "autospawn = no\n");
    soundEnv = { PULSE_SERVER: `unix:${join(folder, "native")}`,
                 PULSE_CLIENTCONFIG: join(folder, "client.conf"), PULSE_RUNTIME_PATH: folder,
                 PULSE_STATE_PATH: folder, PULSE_COOKIE: join(folder, "cookie") };
    const env = { ...process.env, ...soundEnv, HOME: folder, XDG_RUNTIME_DIR: folder };
    delete env.DISPLAY;
    const server = spawn("pulseaudio", [
      "--daemonize=no", "-n", "--exit-idle-time=-1", "--use-pid-file=no", "--log-target=stderr",
      "--log-level=error", "-L", `module-native-protocol-unix auth-anonymous=1 socket=${folder}/native`,
      "-L", "module-null-sink sink_name=out"], { env, stdio: "ignore" });
    server.unref(); // a server left running must not keep the test from ending
    process.on("exit", () => {
      server.kill();
      rmSync(folder, { recursive: true, force: true });
    });
    // Ready when it answers (a busy machine takes a while).
    for (let tries = 0; spawnSync("pactl", ["info"], { env, stdio: "ignore" }).status !== 0; ++tries) {
      if (tries === 1000 || server.exitCode !== null) {
        throw new Error("the browsers' sound server did not start");
      }
      await pause(20);
    }
  }
  return soundEnv;
}

// Debian's Firefox ESR, driven through WebDriver BiDi: on the display in DISPLAY, where it has
// WebGL, or headless, where it has none on this machine. rocket.test names loopback, for an
// insecure origin. It plays to the browsers' own sound server.
export async function launchFirefox(headless) {
  return puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless,
                            env: { ...process.env, ...(await soundServer()) },
                            extraPrefsFirefox: { "network.dns.localDomains": "rocket.test" } });
}

// WebKitGTK's MiniBrowser on the display in DISPLAY, driven by Debian's WebKitWebDriver
// (WebDriver classic) through selenium-webdriver. It plays to the browsers' own sound server:
// WebKitGTK 2.54 (Debian 13's) holds an audio context "interrupted" where it finds no device.
export async function launchWebKit() {
  const port = await freePort();
  const driver = spawn("/usr/bin/WebKitWebDriver", [`--port=${port}`],
                       { stdio: "ignore", env: { ...process.env, ...(await soundServer()) } });
  const capabilities = {
    browserName: "MiniBrowser",
    "webkitgtk:browserOptions": { binary: "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser",
                                  args: ["--automation"] },
  };
  // The driver takes a moment to listen.
  for (let tries = 1; ; ++tries) {
    try {
      const session = await new Builder().usingServer(`http://127.0.0.1:${port}`)
          .withCapabilities(capabilities).build();
      return new WebDriverBrowser(session, driver);
    } catch (error) {
      if (tries === 20) {
        driver.kill();
        throw error;
      }
      await new Promise((done) => setTimeout(done, 250));
    }
  }
}

// A tab as the test drives it, the same in every engine: keys, clicks, scripts, the viewport and
// screenshots of it.
class PuppeteerTab {
  constructor(browser, page) {
    this.browser = browser;
    this.page = page;
  }
  goto(url) { return this.page.goto(url); }
  reload() { return this.page.reload(); }
  evaluate(fn, ...args) { return this.page.evaluate(fn, ...args); }
  key(action, name) { return this.page.keyboard[action](name); }
  click(selector) { return this.page.click(selector); }
  png() { return this.page.screenshot(); }
  setViewport(viewport) { return this.page.setViewport(viewport); }
  // Another tab in front for a while; the returned function brings this one back.
  async away() {
    const other = await this.browser.newPage();
    await other.bringToFront();
    return async () => {
      await other.close();
      await this.page.bringToFront();
    };
  }
  // Touch points in CSS pixels, through the DevTools protocol (Chromium only).
  async touch(type, ...at) {
    this.cdp ??= await this.page.target().createCDPSession();
    return this.cdp.send("Input.dispatchTouchEvent", {
      type, touchPoints: at.map(([x, y], id) => ({ x, y, id })) });
  }
  close() { return this.page.close(); }
}

class PuppeteerBrowser {
  constructor(browser) { this.browser = browser; }
  async open(viewport) {
    const page = await this.browser.newPage();
    await page.setViewport(viewport);
    return new PuppeteerTab(this.browser, page);
  }
  close() { return this.browser.close(); }
}

// WebDriver classic has one window here, so every tab opened is that window again.
const KEYS = { ArrowLeft: Key.ARROW_LEFT, ArrowRight: Key.ARROW_RIGHT, ArrowUp: Key.ARROW_UP,
               Escape: Key.ESCAPE };

class WebDriverTab {
  constructor(session) { this.session = session; }
  goto(url) { return this.session.get(url); }
  reload() { return this.session.navigate().refresh(); }
  evaluate(fn, ...args) {
    return this.session.executeScript(`return (${fn})(...arguments);`, ...args);
  }
  async key(action, name) {
    const key = KEYS[name] ?? name;
    const actions = this.session.actions();
    if (action !== "up") {
      actions.keyDown(key);
    }
    if (action !== "down") {
      actions.keyUp(key);
    }
    await actions.perform();
  }
  click(selector) { return this.session.findElement(By.css(selector)).click(); }
  async png() { return Buffer.from(await this.session.takeScreenshot(), "base64"); }
  // The window's size is set so that its inside is the viewport asked for; it has no scale. X
  // applies a new size some time after the call returns (the longer, the busier the machine),
  // and the window's frame is known only once it is shown: so the size is asked for until the
  // page reports it, and then a page with the test's preload is waited for until it has
  // handled the resize, which is when it lays itself out anew.
  async setViewport({ width, height, deviceScaleFactor = 1 }) {
    if (deviceScaleFactor !== 1) {
      throw new Error("WebDriver classic cannot scale the page");
    }
    const browserWindow = this.session.manage().window();
    const inside = () => this.evaluate(() => [innerWidth, innerHeight]);
    let [innerWidth, innerHeight] = await inside();
    const resized = innerWidth !== width || innerHeight !== height;
    for (let tries = 0; innerWidth !== width || innerHeight !== height; ++tries) {
      if (tries === 5) {
        throw new Error(`the window's inside stays ${innerWidth}x${innerHeight}, not ${width}x${height}`);
      }
      const outer = await browserWindow.getRect();
      await browserWindow.setRect({ width: outer.width + width - innerWidth,
                                    height: outer.height + height - innerHeight });
      const before = `${innerWidth}x${innerHeight}`;
      for (const until = Date.now() + 5000;
           `${innerWidth}x${innerHeight}` === before && Date.now() < until;) {
        await pause(25);
        [innerWidth, innerHeight] = await inside();
      }
    }
    const handled = (size) => window.testLines === undefined || window.testResized === size;
    for (const until = Date.now() + 10000;
         resized && !await this.evaluate(handled, `${width}x${height}`) && Date.now() < until;) {
      await pause(25);
    }
  }
  close() { return this.session.get("about:blank"); }
}

class WebDriverBrowser {
  constructor(session, driver) {
    this.session = session;
    this.driver = driver;
  }
  async open(viewport) {
    const tab = new WebDriverTab(this.session);
    await tab.setViewport(viewport);
    return tab;
  }
  async close() {
    await this.session.quit().catch(() => {});
    this.driver.kill();
  }
}

// The engines as the test and the figures start them. `cannot` names each part of the test that
// an engine's driver cannot drive, and why.
export const engines = [
  { name: "Chromium", slug: "chromium", cannot: {},
    start: async (args = []) => new PuppeteerBrowser(await launch(args)) },
  { name: "Firefox", slug: "firefox",
    cannot: {
      touch: "Firefox sees no touch screen here (no coarse pointer, no touch points), so the " +
             "page rightly shows no touch controls; WebDriver BiDi cannot emulate one, and its " +
             "touch actions fail without one",
    },
    start: async () => new PuppeteerBrowser(await launchFirefox(false)) },
  { name: "WebKit", slug: "webkit",
    cannot: {
      focus: "WebDriver classic reads a page (a script, a screenshot) only by switching to its " +
             "window, which gives it the focus back",
      scaled: "WebDriver classic cannot set a device pixel ratio, so the phone's 3x screen " +
              "cannot be stood in for",
      touch: "WebKitGTK sees no touch screen here, so the page rightly shows no touch controls, " +
             "and WebDriver classic cannot emulate one",
      insecure: "MiniBrowser has no switch that gives loopback another name (as Chromium's host " +
                "rules and Firefox's local domains do), and every name loopback has is a secure " +
                "origin",
    },
    start: launchWebKit },
];

export const noWebGL = [
  { name: "Chromium without WebGL", slug: "no-webgl",
    start: async () => new PuppeteerBrowser(await launch(["--disable-webgl"])) },
  { name: "headless Firefox", slug: "firefox-headless",
    start: async () => new PuppeteerBrowser(await launchFirefox(true)) },
];

// The page's first frame, in milliseconds from its start, as the preload marks it: asked for
// until the page has one. `page` is a tab here or a puppeteer page (both evaluate the same way;
// WebDriver gives null for undefined).
export async function firstFrame(page, timeout = 30000) {
  for (const until = Date.now() + timeout; Date.now() < until;
       await new Promise((done) => setTimeout(done, 40))) {
    const ms = await page.evaluate(() => window.firstFrameMs).catch(() => undefined);
    if (typeof ms === "number") {
      return ms;
    }
  }
  throw new Error(`no first frame within ${timeout / 1000} s`);
}

// Put at the top of the page's head, so that it runs before the game's scripts in every engine:
// the page's console lines and errors, its first frame (the first WebGL draw, or on a page
// without WebGL the first picture SDL puts on the canvas in 2D), a browser's rule that sound
// starts only in answer to the player, the loudest sample SDL writes, and a gamepad the test
// moves.
export function preload() {
  window.testLines = [];
  window.testErrors = [];
  for (const level of ["log", "info", "warn", "error"]) {
    const write = console[level];
    console[level] = (...args) => {
      window.testLines.push(args.join(" "));
      write.apply(console, args);
    };
  }
  window.addEventListener("error", (event) => window.testErrors.push(String(event.message)));
  // The size the page last handled a resize at: before the page's own handler, which lays it
  // out, in the same event.
  window.addEventListener("resize", () => { window.testResized = `${innerWidth}x${innerHeight}`; });

  // A draw into the page's own picture (WebGL's default framebuffer, or the 2D canvas) is a
  // frame presented; window.presents counts them.
  window.presents = 0;
  const marks = [[window.WebGLRenderingContext, ["drawArrays", "drawElements"]],
                 [window.WebGL2RenderingContext, ["drawArrays", "drawElements"]],
                 [window.CanvasRenderingContext2D, ["putImageData"]]];
  for (const [context, names] of marks) {
    if (!context) {
      continue;
    }
    const bind = context.prototype.bindFramebuffer;
    if (bind) {
      context.prototype.bindFramebuffer = function (target, framebuffer) {
        this.testOffscreen = framebuffer !== null;
        return bind.call(this, target, framebuffer);
      };
    }
    for (const name of names) {
      const draw = context.prototype[name];
      context.prototype[name] = function (...args) {
        window.firstFrameMs ??= performance.now();
        window.presents += !this.testOffscreen;
        return draw.apply(this, args);
      };
    }
  }

  // A new audio context is suspended, and resuming it works only while the page has the
  // player's activation (headless browsers let every context run).
  window.audioContexts = [];
  const Native = window.AudioContext || window.webkitAudioContext;
  if (Native) {
    window.AudioContext = window.webkitAudioContext = class extends Native {
      constructor(...options) {
        super(...options);
        super.suspend();
        window.audioContexts.push(this);
      }
      resume() {
        return navigator.userActivation?.isActive ? super.resume()
          : Promise.reject(new DOMException("no gesture", "NotAllowedError"));
      }
    };
  }
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

  // A gamepad in the standard layout, there from the start; the test moves it, with a new time
  // stamp for each change as a browser gives one.
  window.testPad = { id: "Test pad", index: 0, connected: true, mapping: "standard", timestamp: 1,
                     axes: [0, 0, 0, 0],
                     buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false,
                                                                   value: 0 })) };
  Object.defineProperty(Navigator.prototype, "getGamepads",
                        { value: () => [window.testPad, null, null, null], configurable: true });
}

// Puts `preload` into the page `html` of `folder`, before anything else in its head.
export function addPreload(folder, html = "index.html") {
  const path = join(folder, html);
  writeFileSync(path, readFileSync(path, "utf8")
      .replace("<head>", `<head>\n<script>(${preload})();</script>`));
}
