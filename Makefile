# The two commands: `make run` and `make test`. Both install what is missing.
.PHONY: all deps build run test bench deb asan fuzz soak clean

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

# Each fuzz target for FUZZ_SECONDS, one after the other (clang, libFuzzer).
FUZZ_SECONDS ?= 600
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	tests/fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build build-asan build-fuzz
