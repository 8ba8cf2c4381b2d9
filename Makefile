# The project's commands. Each target installs what is missing first, so a
# fresh Debian 12 machine needs nothing but these.
#
#   make play   set up, build and play the production
#   make test   set up, build and pass the whole test suite (under Xvfb)
#   make build  set up and build
#   make clean  remove the build folder

BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: all deps configure build play test clean

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
	@./scripts/run-tests $(BUILD)

clean:
	rm -rf $(BUILD)
