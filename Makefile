# The two commands: `make run` and `make test`. Both install what is missing.
.PHONY: all deps build run test bench deb asan soak clean

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

asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	ctest --preset asan

# The long checks: ten million headless ticks, a hundred start-stop cycles
# and half an hour with music (SOAK_MINUTES), memory watched.
soak: build
	tests/soak/run.sh build

clean:
	rm -rf build build-asan
