// Keeps the site for use without a network: the first visit stores every file the page needs,
// and later visits are served from that store. The build writes the list and a version made
// from the files' contents into this script, so a new build is a new script: the browser
// installs it, it stores the new files under the new version and deletes the old store.
"use strict";

const version = "@SITE_VERSION@";
const files = @SITE_FILES@;
const store = `quillomantrase-${version}`;

self.addEventListener("install", (event) => {
  // "reload": the files from the server, not an older build's from the browser's HTTP cache.
  event.waitUntil(caches.open(store)
    .then((cache) => cache.addAll(files.map((name) => new Request(name, {cache: "reload"}))))
    .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith("quillomantrase-") && name !== store)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The stored copy when there is one (whatever the query: ?size, ?time and ?frames are the page's
// own; the folder itself is index.html, as a server shows it), else the network:
// quillomantrase.html, for one, is not stored.
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  const url = new URL(event.request.url);
  if (url.pathname.endsWith("/")) url.pathname += "index.html";
  event.respondWith(caches.open(store)
    .then((cache) => cache.match(url.href, {ignoreSearch: true}))
    .then((stored) => stored ?? fetch(event.request)));
});
