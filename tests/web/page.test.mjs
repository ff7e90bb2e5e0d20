// The page in headless Chromium: stills equal the native frames, the live run ticks about ten
// times a second and starts again at a new size, the backing store is in device pixels, a map
// that cannot be used says so, the pages opened from disk run, the served site keeps working
// with the server gone, and its manifest is one a browser installs. No request of a working
// page fails (the icon included).
import assert from "node:assert/strict";
import {readFileSync} from "node:fs";
import {join} from "node:path";
import {after, before, test} from "node:test";
import {differingPixels, launchBrowser, nativeFrame, readCanvas, serveSite, site, siteOnDisk, waitInPage} from "./support.mjs";

let browser;
let server;

before(async () => {
  browser = await launchBrowser();
  server = await serveSite();
});
after(async () => {
  await browser?.close();
  await server?.close();
});

async function openPage(query, viewport = {width: 800, height: 600}, url = server.url, file = "index.html") {
  const page = await browser.newPage();
  const problems = [];
  page.on("pageerror", (error) => problems.push(error.message));
  page.on("requestfailed", (request) => problems.push(`${request.url().slice(0, 200)}: ${request.failure()?.errorText}`));
  page.on("response", (response) => {
    if (response.status() >= 400) problems.push(`${response.url()}: ${response.status()}`);
  });
  await page.setViewport(viewport);
  await page.goto(`${url}${file}${query}`);
  return {page, problems};
}

const ticksAtLeast = (n) => Number(document.getElementById("screen").dataset.ticks) >= n;

const stills = [
  {size: "97x61", time: 7, frames: 40},
  {size: "640x480", time: 1, frames: 679},
  {size: "1366x768", time: 5, frames: 400},
];

test("stills equal the native frames", async () => {
  for (const request of stills) {
    const {page, problems} = await openPage(`?size=${request.size}&time=${request.time}&frames=${request.frames}`);
    await waitInPage(page, (n) => Number(document.getElementById("screen").dataset.ticks) === n, request.frames);
    const shown = await readCanvas(page);
    await page.close();
    assert.deepEqual(problems, []);
    assert.equal(shown.ticks, request.frames);
    assert.equal(differingPixels(shown, nativeFrame(request)), 0, `${request.size}: pixels differ`);
  }
});

test("the running page ticks about ten times a second and its picture changes", async () => {
  const {page, problems} = await openPage("?time=9");
  const ticksNow = () => page.evaluate(() => [Number(document.getElementById("screen").dataset.ticks), performance.now()]);
  await waitInPage(page, () => Number(document.getElementById("screen").dataset.ticks) >= 5);
  const first = await readCanvas(page);
  const [ticksBefore, timeBefore] = await ticksNow();
  await waitInPage(page, (n) => Number(document.getElementById("screen").dataset.ticks) >= n, ticksBefore + 30);
  const [ticksAfter, timeAfter] = await ticksNow();
  const rate = ((ticksAfter - ticksBefore) * 1000) / (timeAfter - timeBefore);
  // Generous bounds: a shared machine delays timers, but the page never ticks faster than ten a
  // second (one late tick may follow at once).
  assert.ok(rate > 2 && rate < 13, `${rate.toFixed(1)} ticks a second`);
  const later = await readCanvas(page);
  assert.notEqual(differingPixels(first, later), 0, "the picture did not change");
  // The live frame is the native frame of the same tick.
  assert.equal(differingPixels(later, nativeFrame({size: "800x600", time: 9, frames: later.ticks})), 0);
  await page.close();
  assert.deepEqual(problems, []);
});

test("a new window size starts the run again at that size", async () => {
  const {page, problems} = await openPage("?time=11");
  await waitInPage(page, () => Number(document.getElementById("screen").dataset.ticks) >= 20);
  await page.setViewport({width: 500, height: 400});
  await waitInPage(page, () => {
    const canvas = document.getElementById("screen");
    return canvas.width === 500 && canvas.height === 400 && Number(canvas.dataset.ticks) >= 3;
  });
  const shown = await readCanvas(page);
  await page.close();
  assert.deepEqual(problems, []);
  assert.ok(shown.ticks < 20, `the run went on at tick ${shown.ticks}`);
  assert.equal(differingPixels(shown, nativeFrame({size: "500x400", time: 11, frames: shown.ticks})), 0);
});

test("at device scale factor 2 the backing store has twice the CSS size", async () => {
  const {page, problems} = await openPage("?time=1&frames=3", {width: 400, height: 300, deviceScaleFactor: 2});
  await waitInPage(page, () => Number(document.getElementById("screen").dataset.ticks) === 3);
  const sizes = await page.evaluate(() => {
    const canvas = document.getElementById("screen");
    const box = canvas.getBoundingClientRect();
    return [canvas.width, canvas.height, box.width, box.height];
  });
  const shown = await readCanvas(page);
  await page.close();
  assert.deepEqual(problems, []);
  assert.deepEqual(sizes, [800, 600, 400, 300]);
  assert.equal(differingPixels(shown, nativeFrame({size: "800x600", time: 1, frames: 3})), 0);
});

test("a frame too small for the globe shows why, and a larger window runs again", async () => {
  const {page, problems} = await openPage("?time=3", {width: 4, height: 4});
  await waitInPage(page, () => !document.getElementById("message").hidden);
  const text = await page.evaluate(() => document.getElementById("message").textContent);
  assert.match(text, /^The globe cannot be shown: the screen is too small for the globe's orbit$/);
  await page.setViewport({width: 300, height: 200});
  await waitInPage(page, () => Number(document.getElementById("screen").dataset.ticks) >= 2);
  const shown = await page.evaluate(() =>
    [document.getElementById("message").hidden, document.getElementById("screen").hidden, document.getElementById("message").textContent]);
  await page.close();
  assert.deepEqual(problems, []);
  assert.deepEqual(shown, [true, false, ""]);
});

test("full screen on the F key; there the fourth mouse move leaves it", async () => {
  const {page, problems} = await openPage("?time=3");
  await waitInPage(page, () => Number(document.getElementById("screen").dataset.ticks) >= 1);
  const fullScreen = () => page.evaluate(() => document.fullscreenElement !== null);
  // Counted after the page's own listeners: the page has started its count afresh when the change
  // to full screen is seen here, and has judged a move when the move is seen here.
  await page.evaluate(() => {
    window.fullScreenChanges = 0;
    window.movesSeen = 0;
    document.addEventListener("fullscreenchange", () => ++window.fullScreenChanges);
    document.addEventListener("mousemove", () => ++window.movesSeen);
  });
  await page.keyboard.press("f");
  await waitInPage(page, () => document.fullscreenElement !== null && window.fullScreenChanges === 1);
  // One move at a time: a busy browser merges moves that come together into one event.
  for (let move = 1; move <= 3; ++move) {
    await page.mouse.move(10 * move, 10 * move);
    await waitInPage(page, (seen) => window.movesSeen >= seen, move);
  }
  assert.equal(await fullScreen(), true, "three moves left full screen");
  await page.mouse.move(50, 50);
  await waitInPage(page, () => document.fullscreenElement === null, 30);
  await page.keyboard.press("F");
  await waitInPage(page, () => document.fullscreenElement !== null, 30);
  await page.keyboard.press("x");
  await waitInPage(page, () => document.fullscreenElement === null, 30);
  await page.close();
  assert.deepEqual(problems, []);
});

test("a map or a program that cannot be used shows why", async () => {
  const cases = [
    {name: "earth-1000x500.bmp", body: Buffer.from("BM this is not a picture"),
     expected: /^The globe cannot be shown: the image ends inside its headers/},
    {name: "earth-1000x500.bmp", body: null, expected: /^The globe cannot be shown: cannot fetch earth-1000x500\.bmp \(404/},
    {name: "quillomantrase.wasm", body: null, expected: /^The globe cannot be shown: cannot fetch quillomantrase\.wasm \(404/},
    // What a browser without the instructions the program uses meets: a module it cannot compile.
    {name: "quillomantrase.wasm", body: Buffer.from("\0asm\x01\0\0\0 not a module"),
     expected: /^The globe cannot be shown: this browser cannot run the saver's WebAssembly \(CompileError: .*\)$/},
  ];
  for (const {name, body, expected} of cases) {
    const broken = await serveSite({[name]: body});
    try {
      const {page} = await openPage("", undefined, broken.url);
      await waitInPage(page, () => !document.getElementById("message").hidden);
      const [text, canvasHidden] = await page.evaluate(() =>
        [document.getElementById("message").textContent, document.getElementById("screen").hidden]);
      await page.close();
      assert.match(text, expected);
      assert.equal(canvasHidden, true);
    } finally {
      await broken.close();
    }
  }
});

test("opened from disk, index.html and the one-file page show the native frames and run", async () => {
  const still = {size: "640x480", time: 1, frames: 679};
  const {page, problems} = await openPage(`?size=${still.size}&time=${still.time}&frames=${still.frames}`, undefined, siteOnDisk);
  await waitInPage(page, (n) => Number(document.getElementById("screen").dataset.ticks) === n, still.frames);
  const shown = await readCanvas(page);
  const opened = await page.evaluate(() => location.pathname.split("/").pop() + location.search);
  await page.close();
  assert.equal(opened, `quillomantrase.html?size=${still.size}&time=${still.time}&frames=${still.frames}`);
  assert.equal(differingPixels(shown, nativeFrame(still)), 0, "the still from disk differs");

  const live = await openPage("?time=9", undefined, siteOnDisk, "quillomantrase.html");
  await waitInPage(live.page, ticksAtLeast, 5);
  const first = await readCanvas(live.page);
  await waitInPage(live.page, ticksAtLeast, first.ticks + 10);
  const later = await readCanvas(live.page);
  await live.page.close();
  assert.equal(differingPixels(later, nativeFrame({size: "800x600", time: 9, frames: later.ticks})), 0);
  assert.deepEqual([...problems, ...live.problems], []);
});

// A page's own view of the stores its service worker keeps.
const storeNames = (page) => page.evaluate(() => caches.keys());

test("served, the site runs with the server gone, and a new build replaces the old store", async () => {
  let served = await serveSite();
  // The folder's address, as an installed app starts it.
  const {page, problems} = await openPage("?time=9", undefined, served.url, "");
  try {
    await waitInPage(page, () => navigator.serviceWorker.controller !== null && Number(document.getElementById("screen").dataset.ticks) >= 2);
    const [first] = await storeNames(page);
    assert.match(first, /^quillomantrase-[0-9a-f]{16}$/);

    await served.close();
    await page.reload();
    await waitInPage(page, ticksAtLeast, 3);
    assert.deepEqual(problems, []);

    // The same site at the same address, built again: only the worker's version differs.
    const worker = readFileSync(join(site, "service-worker.js"), "utf8");
    served = await serveSite({"service-worker.js": worker.replace(/const version = "[0-9a-f]+"/, 'const version = "0123456789abcdef"')}, served.port);
    await page.reload();
    await waitInPage(page, async () => (await caches.keys()).join() === "quillomantrase-0123456789abcdef");
    await waitInPage(page, ticksAtLeast, 1);
  } finally {
    await page.close();
    await served.close();
  }
});

test("the served page's manifest is found and valid, and the browser would install the site", async () => {
  const {page, problems} = await openPage("?time=1&frames=1");
  await waitInPage(page, ticksAtLeast, 1);
  const session = await page.createCDPSession();
  const {url, errors, data} = await session.send("Page.getAppManifest");
  const {installabilityErrors} = await session.send("Page.getInstallabilityErrors");
  await page.close();
  assert.equal(url, `${server.url}manifest.webmanifest`);
  assert.deepEqual(errors, []);
  const manifest = JSON.parse(data);
  assert.deepEqual([manifest.name, manifest.display, manifest.background_color], ["Quillomantrase", "fullscreen", "#000000"]);
  assert.deepEqual(installabilityErrors, []);
  assert.deepEqual(problems, []);
});
