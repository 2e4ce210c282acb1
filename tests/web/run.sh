#!/usr/bin/env bash
# The web page's tests (make test-web): installs the test's npm packages as
# its lock file pins them, then drives the page in headless Chromium.
#
#     tests/web/run.sh SITE_DIR RENDER_TOOL
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
site=$(cd "$1" && pwd)
render=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
stamp=$here/node_modules/.installed-lock.json
if ! cmp -s "$here/package-lock.json" "$stamp" 2>/dev/null; then
    (cd "$here" && timeout 300 npm ci --no-audit --no-fund --loglevel=error)
    cp "$here/package-lock.json" "$stamp"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
timeout -k 10 900 node "$here/web_test.js" "$site" "$render" "$work"
