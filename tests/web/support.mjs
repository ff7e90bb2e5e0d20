// What the web tests share: the native renderer's frames, a small static server for the site,
// and headless Chromium.
import {execFileSync} from "node:child_process";
import {mkdtempSync, readFileSync, rmSync} from "node:fs";
import {createServer} from "node:http";
import {tmpdir} from "node:os";
import {extname, join, normalize} from "node:path";
import {pathToFileURL} from "node:url";
import {PNG} from "pngjs";
import puppeteer from "puppeteer-core";

// scripts/test-web.sh says where the builds are.
export const webBuild = process.env.QUILLOMANTRASE_WEB_BUILD;
if (!webBuild) throw new Error("QUILLOMANTRASE_WEB_BUILD must name build-web");
export const site = join(webBuild, "site");
// The site's folder as a browser opening it from disk sees it.
export const siteOnDisk = `${pathToFileURL(site).href}/`;

// Decoded PNG: width, height and the pixels as RGB bytes.
export function readPng(path) {
  const png = PNG.sync.read(readFileSync(path));
  const rgb = Buffer.alloc(png.width * png.height * 3);
  for (let i = 0, j = 0; i < png.data.length; i += 4, j += 3) png.data.copy(rgb, j, i, i + 3);
  return {width: png.width, height: png.height, rgb};
}

// Renders one frame with a renderer (a command and its first arguments) and reads it back.
export function renderFrame(command, {size, time, frames, pitch}) {
  const directory = mkdtempSync(join(tmpdir(), "quillomantrase-web-"));
  try {
    const output = join(directory, "frame.png");
    const args = [...command.slice(1), "--size", size, "--time", String(time), "--frames", String(frames), "--output", output];
    if (pitch) args.push("--pitch", String(pitch));
    try {
      execFileSync(command[0], args, {stdio: ["ignore", "ignore", "pipe"]});
    } catch (error) {
      // The last lines say what went wrong; a crash's stack may quote a whole minified script.
      const said = String(error.stderr ?? "").split("\n").filter((line) => line.length < 300).slice(-5).join("\n");
      throw new Error(`${[command.at(-1), ...args].join(" ")} failed (${error.status ?? error.signal}):\n${said}`);
    }
    return readPng(output);
  } finally {
    rmSync(directory, {recursive: true, force: true});
  }
}

export function nativeFrame(request) {
  const renderer = process.env.QUILLOMANTRASE_NATIVE_RENDER;
  if (!renderer) throw new Error("QUILLOMANTRASE_NATIVE_RENDER must name the native quillomantrase-render");
  return renderFrame([renderer], request);
}

// How many pixels of two RGB frames differ (all of them when the sizes differ).
export function differingPixels(a, b) {
  if (a.width !== b.width || a.height !== b.height) return a.width * a.height;
  let count = 0;
  for (let i = 0; i < a.rgb.length; i += 3)
    if (a.rgb[i] !== b.rgb[i] || a.rgb[i + 1] !== b.rgb[i + 1] || a.rgb[i + 2] !== b.rgb[i + 2]) ++count;
  return count;
}

const types = {".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".bmp": "image/bmp",
               ".png": "image/png", ".webmanifest": "application/manifest+json"};

// Serves the site on a free port (or the given one); replaced maps a file name to other bytes
// (null: not found). Closing it cuts every connection, as a server that goes away does.
export async function serveSite(replaced = {}, port = 0) {
  const server = createServer((request, response) => {
    const name = normalize(decodeURIComponent(new URL(request.url, "http://x").pathname)).replace(/^\/+/, "") || "index.html";
    let body = null;
    try {
      body = name in replaced ? replaced[name] : readFileSync(join(site, name));
    } catch {
      body = null;
    }
    if (body === null) {
      response.writeHead(404, {"Content-Type": "text/plain"}).end("not found");
      return;
    }
    response.writeHead(200, {"Content-Type": types[extname(name)] ?? "application/octet-stream"}).end(body);
  });
  await new Promise((resolve) => server.listen(port, "127.0.0.1", resolve));
  const close = () => new Promise((resolve) => {
    server.close(resolve);
    server.closeAllConnections();
  });
  return {url: `http://127.0.0.1:${server.address().port}/`, port: server.address().port, close};
}

// Debian's Chromium, headless, with nothing of its own fetched in the background.
export async function launchBrowser() {
  const profile = mkdtempSync(join(tmpdir(), "quillomantrase-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    protocolTimeout: 600000,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           `--user-data-dir=${profile}`],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, {recursive: true, force: true});
  };
  return browser;
}

// Polls a condition in the page until it holds, with a generous deadline for loaded machines.
export async function waitInPage(page, condition, argument, seconds = 120) {
  await page.waitForFunction(condition, {timeout: seconds * 1000, polling: 50}, argument);
}

// The tick number and the canvas's pixels (RGB) read together, so no tick falls between them.
export async function readCanvas(page) {
  const read = await page.evaluate(() => {
    const canvas = document.getElementById("screen");
    const rgba = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    const rgb = new Uint8Array(canvas.width * canvas.height * 3);
    for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3) {
      rgb[j] = rgba[i];
      rgb[j + 1] = rgba[i + 1];
      rgb[j + 2] = rgba[i + 2];
    }
    let text = "";
    for (let i = 0; i < rgb.length; i += 0x8000) text += String.fromCharCode(...rgb.subarray(i, i + 0x8000));
    return {ticks: Number(canvas.dataset.ticks), width: canvas.width, height: canvas.height, rgb: btoa(text)};
  });
  return {...read, rgb: Buffer.from(read.rgb, "base64")};
}
