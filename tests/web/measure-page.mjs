// Main-thread time per frame of the page in headless Chromium: the page's ?benchmark mode times
// each tick (engine, the copy to the canvas, the draw) at 1920x1080. Prints the page's figures.
//   QUILLOMANTRASE_WEB_BUILD=build-web node measure-page.mjs [FRAMES]
import {launchBrowser, serveSite, waitInPage} from "./support.mjs";

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
} finally {
  await browser.close();
  await server.close();
}
