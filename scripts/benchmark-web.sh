#!/usr/bin/env bash
# The web page's speed and weight: main-thread milliseconds per frame at 1920x1080 in headless
# Chromium, the time from opening the one-file page from disk to its first frame, and the sizes:
# the served site's files gzip-compressed (gzip -9 of every file), the one-file page's as it is.
# Builds the web preset first when it is missing.
#   scripts/benchmark-web.sh [FRAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
export NODE_PATH=/usr/share/nodejs

bash scripts/ensure-packages.sh cmake ninja-build emscripten python3 chromium gzip
[ -f build-web/site/index.html ] || { cmake --preset web >/dev/null && cmake --build --preset web; }
(cd tests/web && [ -d node_modules ] || PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund >/dev/null)

echo "== main thread per frame"
(cd tests/web && QUILLOMANTRASE_WEB_BUILD=$PWD/../../build-web node measure-page.mjs "${1:-300}")

echo "== weight served gzip-compressed (gzip -9); the one-file page apart"
total=0
for file in build-web/site/*; do
  [ "$(basename "$file")" = quillomantrase.html ] && continue
  raw=$(stat -c %s "$file")
  packed=$(gzip -9 -c "$file" | wc -c)
  total=$((total + packed))
  printf '%-28s %9d bytes, %8d gzipped\n' "$(basename "$file")" "$raw" "$packed"
done
printf '%-28s %28d gzipped (%s MB)\n' "site" "$total" "$(awk -v t="$total" 'BEGIN { printf "%.3f", t / 1e6 }')"
one=build-web/site/quillomantrase.html
printf '%-28s %9d bytes, %8d gzipped (%s MB as it is)\n' "$(basename "$one")" "$(stat -c %s "$one")" \
  "$(gzip -9 -c "$one" | wc -c)" "$(awk -v t="$(stat -c %s "$one")" 'BEGIN { printf "%.3f", t / 1e6 }')"
