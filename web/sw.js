// Keeps the page for play offline, once it has been visited online.  What
// the network gives within three seconds is served and kept, so that a new
// version shows on the first visit after it is published; offline, or on a
// line too slow for that, what was kept is served, and the network's answer,
// if it comes, is kept for the next visit.
"use strict";
const kept = "calcstats";
const site = ["./", "manifest.webmanifest", "icon-180.png", "icon-192.png", "icon-512.png", "icon-maskable-512.png"];

self.addEventListener("install", event => {
  event.waitUntil(caches.open(kept).then(cache => cache.addAll(site)).then(() => self.skipWaiting()));
});
self.addEventListener("activate", event => event.waitUntil(self.clients.claim()));

self.addEventListener("fetch", event => {
  if (event.request.method !== "GET" || new URL(event.request.url).origin !== location.origin)
    return;
  const fresh = fetch(event.request).then(async response => {
    if (response.ok)
      await (await caches.open(kept)).put(event.request, response.clone());
    return response;
  });
  event.waitUntil(fresh.catch(() => null));
  event.respondWith(caches.match(event.request, { ignoreSearch: true }).then(old => !old ? fresh :
    Promise.race([fresh.then(response => response.ok ? response : old, () => old),
      new Promise(resolve => setTimeout(() => resolve(old), 3000))])));
});
