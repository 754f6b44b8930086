// Keeps the site for offline play. The build names the stored copy after a hash of the site's
// files and lists them below, so a new build is a new worker that stores a new copy, takes over
// and deletes the old one: a player never runs a mix of old and new files.
const STORE = "rocket-@SITE_HASH@";
const FILES = [@SITE_FILES@];

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const store = await caches.open(STORE);
    // Past any HTTP cache, so the copy is this build's files and nothing older.
    await store.addAll(FILES.map((file) => new Request(file, { cache: "reload" })));
    await self.skipWaiting();
  })());
});

self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith("rocket-") && name !== STORE) {
        await caches.delete(name);
      }
    }
    await self.clients.claim();
  })());
});

self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") {
    return;
  }
  event.respondWith((async () => {
    const store = await caches.open(STORE);
    return (await store.match(event.request, { ignoreSearch: true })) || fetch(event.request);
  })());
});
