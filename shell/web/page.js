// The page around the saver: sizes the canvas, reads the program and the map, starts runs and
// ticks them. What a tick does and what ends a full-screen run are the saver's own rules, in the
// WebAssembly. The same script runs in index.html, which fetches the program and the map beside
// it, and in quillomantrase.html, the one-file page made from index.html at build time, which
// carries them in its "site-files" block.
//
//   index.html                 fills the window, clock from the time of day, ten ticks a second
//   ?size=WxH                  a fixed frame size in device pixels
//   ?time=T                    a fixed clock (seconds since the epoch) for the stars
//   ?frames=N                  N ticks as fast as they go, then that frame stays
//   ?benchmark=N               N ticks timed one by one (at 1920x1080 unless a size is given)
"use strict";

const tickInterval = 100;
const mapFile = "earth-1000x500.bmp";
const canvas = document.getElementById("screen");
const message = document.getElementById("message");
const parameters = new URLSearchParams(location.search);
const inlineFiles = document.getElementById("site-files");
const siteFiles = inlineFiles ? JSON.parse(inlineFiles.textContent) : null;

let saver = null;
let map = {address: 0, size: 0};
let timer = 0;
let run = 0;  // bumped by every start, so that an old run's ticks stop

function showMessage(text) {
  clearTimeout(timer);
  canvas.hidden = true;
  message.hidden = false;
  message.textContent = message.textContent ? message.textContent + "\n" + text : text;
}

function whole(name, lowest) {
  if (!parameters.has(name)) return null;
  const text = parameters.get(name);
  if (!/^-?\d+$/.test(text) || Number(text) < lowest || !Number.isSafeInteger(Number(text)))
    throw new Error(`?${name}=${text} is not a whole number of at least ${lowest}`);
  return Number(text);
}

function fixedSize() {
  if (parameters.has("size")) {
    const match = /^(\d{1,5})x(\d{1,5})$/.exec(parameters.get("size"));
    if (!match) throw new Error(`?size=${parameters.get("size")} is not WIDTHxHEIGHT`);
    return {width: Number(match[1]), height: Number(match[2])};
  }
  return parameters.has("benchmark") ? {width: 1920, height: 1080} : null;
}

// The frame in device pixels; the canvas takes as many CSS pixels as that makes on this screen.
function frameSize(fixed) {
  const ratio = window.devicePixelRatio || 1;
  if (fixed) return {...fixed, cssWidth: fixed.width / ratio, cssHeight: fixed.height / ratio};
  const cssWidth = document.documentElement.clientWidth;
  const cssHeight = document.documentElement.clientHeight;
  return {width: Math.round(cssWidth * ratio), height: Math.round(cssHeight * ratio), cssWidth, cssHeight};
}

function showTicks(ticks) {
  canvas.dataset.ticks = String(ticks);
}

// Ticks in slices of about 50 ms, so that the page answers while a long still is made.
function runStill(thisRun, frames) {
  const slice = () => {
    if (thisRun !== run) return;
    const started = performance.now();
    let ticks = Number(canvas.dataset.ticks);
    while (ticks < frames && performance.now() - started < 50) ticks = saver._TickWebRun(1);
    showTicks(ticks);
    if (ticks < frames) timer = setTimeout(slice, 0);
  };
  slice();
}

// Ten ticks a second; a late tick delays the next, but ticks never pile up.
function runLive(thisRun) {
  let due = performance.now() + tickInterval;
  const tick = () => {
    if (thisRun !== run) return;
    showTicks(saver._TickWebRun(1));
    const now = performance.now();
    due = Math.max(due + tickInterval, now);
    timer = setTimeout(tick, due - now);
  };
  timer = setTimeout(tick, tickInterval);
}

function runBenchmark(thisRun, frames, size) {
  const times = [];
  const step = () => {
    if (thisRun !== run) return;
    const started = performance.now();
    showTicks(saver._TickWebRun(1));
    times.push(performance.now() - started);
    if (times.length < frames) {
      timer = setTimeout(step, 0);
      return;
    }
    const sorted = times.slice(1).sort((a, b) => a - b);
    const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
    const mean = sorted.reduce((a, b) => a + b, 0) / sorted.length;
    const report = {size: `${size.width}x${size.height}`, frames: sorted.length, meanMs: mean,
                    medianMs: at(0.5), p95Ms: at(0.95), worstMs: sorted[sorted.length - 1]};
    const out = document.getElementById("benchmark");
    out.hidden = false;
    out.textContent = Object.entries(report)
      .map(([k, v]) => `${k}: ${typeof v === "number" ? v.toFixed(2) : v}`).join("\n");
    canvas.dataset.benchmark = JSON.stringify(report);
  };
  step();
}

function start() {
  clearTimeout(timer);
  const thisRun = ++run;
  const fixed = fixedSize();
  const size = frameSize(fixed);
  canvas.style.width = `${size.cssWidth}px`;
  canvas.style.height = `${size.cssHeight}px`;
  const time = whole("time", 0) ?? Math.floor(Date.now() / 1000);
  // A new size may succeed where the last one failed (a window shrunk to nothing and back).
  message.textContent = "";
  message.hidden = true;
  canvas.hidden = false;
  showTicks(0);
  if (!saver._StartWebRun(size.width, size.height, time, map.address, map.size)) return;
  const frames = whole("frames", 0);
  const benchmark = whole("benchmark", 2);
  if (benchmark !== null) runBenchmark(thisRun, benchmark, size);
  else if (frames !== null) runStill(thisRun, frames);
  else runLive(thisRun);
}

// Full screen on a double click or the F key; in full screen the saver's rules end it.
function watchInput() {
  const fullScreen = () => document.fullscreenElement !== null;
  const enter = () => document.documentElement.requestFullscreen().catch(() => {});
  const judge = (kind, event) => {
    if (!fullScreen()) return false;
    const verdict = saver._JudgeWebInput(kind);
    if (verdict !== 0) event.preventDefault();
    if (verdict === 2) document.exitFullscreen().catch(() => {});
    return true;
  };
  document.addEventListener("fullscreenchange", () => { if (fullScreen()) saver._StartWebInputCount(); });
  document.addEventListener("keydown", (event) => {
    if (!judge(0, event) && (event.key === "f" || event.key === "F")) enter();
  });
  // The left, middle and right buttons end a run; the side buttons do not, as on the desktop.
  document.addEventListener("mousedown", (event) => judge(event.button <= 2 ? 1 : 3, event));
  document.addEventListener("mousemove", (event) => judge(2, event));
  canvas.addEventListener("dblclick", () => { if (!fullScreen()) enter(); });
}

// A new window size starts the run again at that size, once the resizing settles.
function watchSize() {
  if (fixedSize()) return;
  let pending = 0;
  const restart = () => {
    cancelAnimationFrame(pending);
    pending = requestAnimationFrame(start);
  };
  window.addEventListener("resize", restart);
  matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener("change", restart);
}

async function readSiteFile(name) {
  if (siteFiles) {
    const text = atob(siteFiles[name]);
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    return bytes;
  }
  let response;
  try {
    response = await fetch(name);
  } catch (error) {
    throw new Error(`The globe cannot be shown: cannot fetch ${name} (${error.message})`);
  }
  if (!response.ok) throw new Error(`The globe cannot be shown: cannot fetch ${name} (${response.status} ${response.statusText})`);
  return new Uint8Array(await response.arrayBuffer());
}

async function loadMap() {
  const bytes = await readSiteFile(mapFile);
  const address = saver._malloc(bytes.length);
  if (!address) throw new Error("The globe cannot be shown: there is not enough memory for the map");
  saver.HEAPU8.set(bytes, address);
  return {address, size: bytes.length};
}

// The served site installs as an app and works offline after the first visit (browsers allow
// both on https and localhost). The manifest is named here, not in the page's head, so that a
// page opened from disk asks for no file it cannot have.
function keepForOffline() {
  if (siteFiles || location.protocol === "file:") return;
  const manifest = document.createElement("link");
  manifest.rel = "manifest";
  manifest.href = "manifest.webmanifest";
  document.head.append(manifest);
  if (!("serviceWorker" in navigator)) return;
  navigator.serviceWorker.register("service-worker.js")
    .catch((error) => console.warn(`The page will not work offline: ${error.message}`));
}

async function main() {
  // A browser lets no page read the files beside it on disk: from there, the one-file page.
  if (!siteFiles && location.protocol === "file:") {
    location.replace(`quillomantrase.html${location.search}${location.hash}`);
    return;
  }
  try {
    fixedSize();
    whole("time", 0);
    whole("frames", 0);
    whole("benchmark", 2);
    const wasmBinary = await readSiteFile("quillomantrase.wasm");
    saver = await QuillomantraseModule({showMessage, wasmBinary}).catch((error) => {
      // The loader's own wording, without its advice to the program's builders.
      const reason = String(error.message || error).replace(/^Aborted\((.*)\)\. Build with .*$/s, "$1");
      throw new Error(`The globe cannot be shown: this browser cannot run the saver's WebAssembly (${reason})`);
    });
    map = await loadMap();
  } catch (error) {
    showMessage(error.message || String(error));
    return;
  }
  keepForOffline();
  watchInput();
  watchSize();
  start();
}

main();
