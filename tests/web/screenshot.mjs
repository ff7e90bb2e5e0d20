// A screenshot of the page in headless Chromium, for the README.
//   QUILLOMANTRASE_WEB_BUILD=build-web node screenshot.mjs OUTPUT.png WIDTH HEIGHT TIME FRAMES
import {launchBrowser, serveSite, waitInPage} from "./support.mjs";

const [output, width, height, time, frames] = process.argv.slice(2);
const browser = await launchBrowser();
const server = await serveSite();
try {
  const page = await browser.newPage();
  await page.setViewport({width: Number(width), height: Number(height)});
  await page.goto(`${server.url}index.html?time=${time}&frames=${frames}`);
  await waitInPage(page, (n) => Number(document.getElementById("screen").dataset.ticks) === n, Number(frames));
  await page.screenshot({path: output});
} finally {
  await browser.close();
  await server.close();
}
