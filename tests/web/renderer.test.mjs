// quillomantrase-render.js under node writes the native renderer's frames.
import assert from "node:assert/strict";
import {join} from "node:path";
import {test} from "node:test";
import {differingPixels, nativeFrame, renderFrame, webBuild} from "./support.mjs";

// Plain node, the one running these tests: no flags.
const nodeRenderer = [process.execPath, join(webBuild, "shell/render_tool/quillomantrase-render.js")];

// The long run on the smallest frame: a tick costs about the same at any size (the globe), and
// 36,000 ticks take minutes on a loaded machine even so.
const cases = [
  {size: "97x61", time: 7, frames: 36000},
  {size: "320x240", time: 3, frames: 1500},
  {size: "640x480", time: 1, frames: 679},
  {size: "800x600", time: 12, frames: 90, pitch: 4000},
  {size: "1920x1080", time: 42, frames: 250},
];

for (const request of cases) {
  test(`node renderer, ${JSON.stringify(request)}`, () => {
    const web = renderFrame(nodeRenderer, request);
    const native = nativeFrame(request);
    assert.equal(`${web.width}x${web.height}`, request.size);
    assert.equal(differingPixels(web, native), 0, "pixels differ from the native renderer's");
  });
}
