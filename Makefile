# The project's commands. Each target installs what is missing first, so a
# fresh Debian 12 machine needs nothing but these.
#
#   make play   set up, build and play the production
#   make test   set up, build and pass the test suite (under Xvfb), all but
#               the long runs
#   make test-long  the long runs: the soak (label "soak") and the player
#               ending on time (label "long")
#   make build  set up and build
#   make bench  build and run the benchmarks
#   make sanitize  build and run the suite under ASan, UBSan (and LSan)
#   make fuzz   build the fuzz targets with clang and run each for a while
#   make clean  remove the build folders

BUILD ?= build
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build play test test-long clean bench fuzz sanitize

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

play: build
	@./scripts/play $(BUILD)

test: build
	@./scripts/run-tests $(BUILD) -LE 'soak|long'

test-long: build
	@./scripts/run-tests $(BUILD) -L 'soak|long'

bench: build
	@./scripts/run-bench $(BUILD)

sanitize: deps
	@./scripts/run-sanitized-tests

fuzz: deps
	@./scripts/run-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) build-fuzz build-asan
