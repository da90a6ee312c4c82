MAKEFLAGS += --no-print-directory
# Entry points: `make test` (everything CI checks) and `make demo` (a whole update under Wine).
# The CMake presets native, fuzz, win32 and win64 build into build/<preset>/.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
TEST_HOST ?= 127.0.0.1:18080
FUZZ_SECONDS ?= 10

.PHONY: all deps check-packages check-layers check-format native fuzz win32 win64 test test-native test-fuzz test-windows check-imports demo demo-tampered fuzz-long clean format

all: native win32 win64

deps:
	@scripts/install-deps

# After the install, before any build: every command we call must reach a fresh machine too.
check-packages: deps
	@scripts/check-packages

# No include runs up the layers, and every one follows a declared CMake dependency.
check-layers:
	@scripts/check-layers

build/%/CMakeCache.txt:
	cmake --preset $* $(if $(filter native win64,$*),-DHEXAPLANE_UPDATE_HOST=$(TEST_HOST)) >/dev/null

native fuzz win32 win64: %: deps build/%/CMakeCache.txt
	cmake --build build/$@ -j $(JOBS)

test: deps
	@rm -f build/test-summary
	$(MAKE) check-packages
	$(MAKE) check-layers
	$(MAKE) check-format
	$(MAKE) native
	$(MAKE) test-native
	$(MAKE) fuzz
	$(MAKE) test-fuzz
	$(MAKE) win32
	$(MAKE) win64
	$(MAKE) check-imports
	$(MAKE) test-windows
	@scripts/test-summary build/test-summary

test-native:
	scripts/run-ctest native build/native -j $(JOBS)

test-fuzz:
	scripts/run-fuzzers build/fuzz tests/fuzz/corpus $(FUZZ_SECONDS)

test-windows:
	scripts/wine-session scripts/run-ctest win64 build/win64

check-imports:
	scripts/check-imports build/win32/HexaplaneUpdate.exe build/win64/HexaplaneUpdate.exe

fuzz-long: fuzz
	scripts/run-fuzzers build/fuzz tests/fuzz/corpus 600

demo: deps native win64
	scripts/demo

# The same update with the installer altered by one byte on the server: the signed updater
# refuses it and ends at the manual-update prompt.
demo-tampered: deps native win64
	scripts/demo --tampered

# One style, settled in .clang-format (braces on every body need clang-format 15).
format:
	git ls-files '*.cpp' '*.h' | xargs clang-format-15 -i

check-format: deps
	@git ls-files '*.cpp' '*.h' | xargs clang-format-15 --dry-run -Werror && echo "check-format: the tree follows .clang-format"

clean:
	rm -rf build
