// The viewer kept for offline use: the site is stored when installed, and every file of this
// origin (the site and slides opened by address) is fetched afresh when the network answers,
// else taken from what was stored. Fetching first keeps the script and its .wasm of one build.
'use strict';
const kCache = 'lanterna';
const kSite = ['index.html', 'viewer.js', 'viewer.css', 'lanterna-slide.js', 'lanterna-slide.wasm',
  'manifest.webmanifest', 'icon.svg', 'icon-192.png', 'icon-512.png'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCache).then((cache) => cache.addAll(kSite)).then(() => self.skipWaiting()));
});
self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(kCache);
    try {
      const response = await fetch(request);
      if (response.ok) event.waitUntil(cache.put(request, response.clone()));
      return response;
    } catch (e) {
      // A page's address carries its slide in the query, or is the site's folder: the viewer.
      const stored = await cache.match(request) || (request.mode === 'navigate' && await cache.match('index.html'));
      if (stored) return stored;
      throw e;
    }
  })());
});
