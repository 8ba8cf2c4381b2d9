# The project's commands. Each target installs what is missing first, so a
# fresh Debian 12 machine needs nothing but these.
#
#   make play   set up, build what playing needs (the player, the content,
#               tessaly-capture) and play the production; without a
#               display, render it to build/production.mp4 (PLAY_SIZE,
#               PLAY_FPS, PLAY_FLAGS, PLAY_HEADLESS: see scripts/play)
#   make test   set up, build and pass the whole test suite (under Xvfb),
#               long runs included
#   make test-quick  the same without the long runs: the soak (label "soak")
#               and the player ending on time (label "long")
#   make build  set up and build
#   make bench  build (with the benchmarks) and run the benchmarks
#   make sanitize  build and run the suite under ASan, UBSan (and LSan)
#   make fuzz   build the fuzz targets with clang and run each for a while
#   make install PREFIX=P   build, then install into P (default /usr/local)
#   make uninstall          remove what the last install put in place
#   make clean  remove the build folders

BUILD ?= build
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local

.PHONY: all deps configure build play test test-quick clean bench fuzz sanitize install uninstall

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

# Only what scripts/play runs: no tests, no benchmarks (make test builds them).
PLAY_TARGETS = tessaly tessaly-capture tessaly_content check_layers

play: configure
	@cmake --build $(BUILD) --target $(PLAY_TARGETS)
	@./scripts/play $(BUILD)

test: build
	@./scripts/run-tests $(BUILD)

test-quick: build
	@./scripts/run-tests $(BUILD) -LE 'soak|long'

bench: deps
	@cmake -S . -B $(BUILD) -G Ninja -DTESSALY_BENCH=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)
	@./scripts/run-bench $(BUILD)

sanitize: deps
	@CMAKE_FLAGS="$(CMAKE_FLAGS)" ./scripts/run-sanitized-tests

fuzz: deps
	@CMAKE_FLAGS="$(CMAKE_FLAGS)" ./scripts/run-fuzz $(FUZZ_SECONDS)

install: build
	@cmake --install $(BUILD) --prefix "$(PREFIX)"

uninstall:
	@cmake -DMANIFEST=$(BUILD)/install_manifest.txt -P install/uninstall.cmake

clean:
	rm -rf $(BUILD) build-fuzz build-asan
