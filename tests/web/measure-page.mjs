// Main-thread time per frame of the page in headless Chromium: the page's ?benchmark mode times
// each tick (engine, the copy to the canvas, the draw) at 1920x1080. Prints the page's figures,
// then how long the one-file page opened from disk takes from the start of its navigation to its
// first frame on the canvas (five openings).
//   QUILLOMANTRASE_WEB_BUILD=build-web node measure-page.mjs [FRAMES]
import {launchBrowser, serveSite, siteOnDisk, waitInPage} from "./support.mjs";

const frames = Number(process.argv[2] ?? 300);
const browser = await launchBrowser();
const server = await serveSite();
try {
  const page = await browser.newPage();
  await page.setViewport({width: 1920, height: 1080});
  await page.goto(`${server.url}index.html?benchmark=${frames}&time=1`);
  await waitInPage(page, () => document.getElementById("screen").dataset.benchmark !== undefined, 600);
  const report = JSON.parse(await page.evaluate(() => document.getElementById("screen").dataset.benchmark));
  console.log(`chromium ${await browser.version()}`);
  for (const [name, value] of Object.entries(report))
    console.log(`${name}: ${typeof value === "number" ? value.toFixed(2) : value}`);
  await page.close();

  const firstFrames = [];
  for (let opening = 0; opening < 5; ++opening) {
    const one = await browser.newPage();
    await one.setViewport({width: 1920, height: 1080});
    // Seen by an observer set up before the page's own script runs: the moment tick 1 is shown.
    await one.evaluateOnNewDocument(() => {
      new MutationObserver((changes, observer) => {
        if (document.getElementById("screen")?.dataset.ticks !== "1") return;
        window.firstFrameMs = performance.now();
        observer.disconnect();
      }).observe(document, {attributes: true, subtree: true, attributeFilter: ["data-ticks"]});
    });
    await one.goto(`${siteOnDisk}quillomantrase.html?time=1`);
    await waitInPage(one, () => window.firstFrameMs !== undefined, 60);
    firstFrames.push(await one.evaluate(() => window.firstFrameMs));
    await one.close();
  }
  console.log(`quillomantrase.html from disk, first frame after (ms): ${firstFrames.map((ms) => ms.toFixed(0)).join(", ")}`);
} finally {
  await browser.close();
  await server.close();
}
