// What the browser test and the web figures (tools/web_figures.mjs) share: a loopback server for
// a folder, Chromium and Firefox as this machine can run them, and the mark of a page's first
// frame.
import { spawn } from "node:child_process";
import puppeteer from "puppeteer-core";

// Serves `folder` with Python's http.server on a free loopback port.
export function serve(folder) {
  return new Promise((resolve, reject) => {
    const server = spawn("/usr/bin/python3", ["-u", "-m", "http.server", "0", "--bind", "127.0.0.1"],
                         { cwd: folder, stdio: ["ignore", "pipe", "ignore"] });
    server.stdout.on("data", (data) => {
      const port = /port (\d+)/.exec(String(data));
      if (port) {
        resolve({ server, url: `http://127.0.0.1:${port[1]}/` });
      }
    });
    server.on("exit", () => reject(new Error("the web server stopped")));
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

// Debian's Firefox ESR, driven through WebDriver BiDi: on the display in DISPLAY, where it has
// WebGL, or headless, where it has none on this machine.
export function launchFirefox(headless) {
  return puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless });
}

// Run in a page before its scripts (evaluateOnNewDocument): the first frame is the first WebGL
// draw after the page started loading, or on a page without WebGL the first picture SDL puts on
// the canvas in 2D, kept in window.firstFrameMs.
export function markFirstFrame() {
  const marks = [[window.WebGLRenderingContext, ["drawArrays", "drawElements"]],
                 [window.WebGL2RenderingContext, ["drawArrays", "drawElements"]],
                 [window.CanvasRenderingContext2D, ["putImageData"]]];
  for (const [context, names] of marks) {
    for (const name of context ? names : []) {
      const draw = context.prototype[name];
      context.prototype[name] = function (...args) {
        window.firstFrameMs ??= performance.now();
        return draw.apply(this, args);
      };
    }
  }
}
