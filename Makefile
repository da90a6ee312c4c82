MAKEFLAGS += --no-print-directory
# Entry points: `make test` (everything CI checks) and `make demo` (a whole update under Wine).
# The CMake presets native (clang, sanitizers, the fuzz targets), win32 and win64 build into
# build/<preset>/.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
TEST_HOST ?= 127.0.0.1:18080
FUZZ_SECONDS ?= 10

.PHONY: all deps deps-native check-packages check-layers check-format native win32 win64 test test-native test-fuzz test-windows check-imports demo demo-tampered readme-picture fuzz-long clean format

all: native win32 win64

deps:
	@scripts/install-deps

# What the native build and its tests need: less, so that build may start sooner.
deps-native:
	@scripts/install-deps native

# After the install, before any build: every command we call must reach a fresh machine too.
check-packages: deps
	@scripts/check-packages

# No include runs up the layers, and every one follows a declared CMake dependency.
check-layers:
	@scripts/check-layers

build/%/CMakeCache.txt:
	cmake --preset $* $(if $(filter native win64,$*),-DHEXAPLANE_UPDATE_HOST=$(TEST_HOST)) >/dev/null

native: deps-native build/native/CMakeCache.txt
	cmake --build build/$@ -j $(JOBS)

win32 win64: %: deps build/%/CMakeCache.txt
	cmake --build build/$@ -j $(JOBS)

# Everything CI checks; scripts/run-tests installs what is missing and runs the steps below in
# the order that ends soonest on two cores, and prints each phase's time.
test:
	@scripts/run-tests

test-native:
	scripts/run-ctest native build/native -j $(JOBS)

test-fuzz:
	scripts/run-fuzzers build/native tests/fuzz/corpus $(FUZZ_SECONDS) $(JOBS)

test-windows:
	HX_XVFB=1 scripts/wine-session scripts/run-ctest win64 build/win64 -j $(JOBS)

check-imports:
	scripts/check-imports build/win32/HexaplaneUpdate.exe build/win64/HexaplaneUpdate.exe

fuzz-long: native
	scripts/run-fuzzers build/native tests/fuzz/corpus 600 $(JOBS)

demo: deps native win64
	scripts/demo

# The same update with the installer altered by one byte on the server: the signed updater
# refuses it and ends at the manual-update prompt.
demo-tampered: deps native win64
	scripts/demo --tampered

# The README's picture of the whole update (docs/update.png), refreshed from the demo when the
# window changes.
readme-picture: demo
	cp build/demo/update.png docs/update.png
	@echo "docs/update.png refreshed from build/demo/update.png; commit it with the change"

# One style, settled in .clang-format (braces on every body need clang-format 15).
format:
	git ls-files '*.cpp' '*.h' | xargs clang-format-15 -i

check-format: deps-native
	@git ls-files '*.cpp' '*.h' | xargs clang-format-15 --dry-run -Werror && echo "check-format: the tree follows .clang-format"

clean:
	rm -rf build
