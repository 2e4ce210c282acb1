# The two commands: `make run` and `make test`. Both install what is missing.
.PHONY: all deps build run test bench deb asan-build asan test-asan fuzz soak clean windows test-windows windows-package web test-web

all: build

deps:
	@tools/install-deps.sh

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default

run: build
	build/bin/linesaver

test: build
	ctest --preset default

bench: build
	bench/run.sh

# The Debian package, in build/package/.
deb: build
	cpack --config build/CPackConfig.cmake -B build/package

# Every test under the address and undefined-behaviour sanitizers; leaks
# in system libraries are suppressed by tests/sanitizers/lsan.supp.
asan-build: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan

asan: asan-build
	ctest --preset asan

# CI's share of it: the portable core's unit tests and the end-to-end tests,
# but for the Wayland ones: on Wayland, libraries that SDL loads and unloads
# again leave 1.7 KB that LeakSanitizer can name no library for, so no
# suppression can hold them.
test-asan: asan-build
	ctest --preset asan -L 'core|e2e' -LE wayland --no-tests=error

# The long checks: ten million headless ticks, a hundred start-stop cycles
# and half an hour with music (SOAK_MINUTES), memory watched.
soak: build
	tests/soak/run.sh build

# Each fuzz target for FUZZ_SECONDS, one after the other (clang, libFuzzer).
FUZZ_SECONDS ?= 600
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	tests/fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# Windows: cross-built with mingw-w64 into build-windows/bin (linesaver.scr
# and music/), tested under Wine on a private X server, and packed as an
# NSIS installer and a zip in build-windows/package.
windows:
	@tools/install-deps.sh --only windows
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows --target linesaver demo_tracks

test-windows:
	@tools/install-deps.sh --only windows windows-test
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows --target all windows_package
	tests/wine/run.sh build-windows

windows-package: windows
	@cmake --build --preset windows --target windows_package

# The web page: build-web/site/ holds index.html, its scripts, the module
# (emscripten), the music and the licences, ready for any static file
# server, and nothing else (the build tree is build-web/cmake/); its tests
# drive it in headless Chromium against linesaver-render's pictures.
web:
	@tools/install-deps.sh --only web
	@command -v npm >/dev/null || tools/install-deps.sh --only web-npm
	@NODE_PATH=/usr/share/nodejs cmake --preset web >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build --preset web

test-web: web
	@tools/install-deps.sh
	@cmake --preset default >/dev/null
	@cmake --build --preset default --target linesaver-render
	NODE_PATH=/usr/share/nodejs tools/check_style.sh --names build-web/cmake
	tests/web/run.sh build-web/site build/bin/linesaver-render

clean:
	rm -rf build build-asan build-fuzz build-windows build-web
