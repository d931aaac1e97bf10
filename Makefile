# Vornak Installer: top-level commands.
#   make        build everything into dist/
#   make demo   build, then build a sample installer and run it under Wine
#   make test   build, then run every test (host, sanitizers, Windows under Wine)
#   make bench  build, then run every benchmark at full size (packing, line
#               reading, the install path under Wine; LARGE=1 adds a 1 GB file)
JOBS ?= $(shell nproc)
BUILD := build
DIST := dist

.PHONY: all deps windows windows64 host sanitize dist demo test bench clean

all: dist

deps:
	@bash tools/bootstrap.sh

windows: deps
	@cmake -S . -B $(BUILD)/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	@cmake --build $(BUILD)/windows -j$(JOBS)

# The same Windows sources for x86_64: the tests run from this build where
# the machine cannot run 32-bit code (see cmake/mingw-x86_64.cmake).
windows64: deps
	@cmake -S . -B $(BUILD)/windows64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	@cmake --build $(BUILD)/windows64 -j$(JOBS)

host: deps
	@cmake -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/host -j$(JOBS)

sanitize: deps
	@cmake -S . -B $(BUILD)/sanitize -DCMAKE_BUILD_TYPE=Debug -DVORNAK_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)/sanitize -j$(JOBS)

dist: windows host
	@mkdir -p $(DIST)
	@cmake --install $(BUILD)/windows --prefix $(DIST) >/dev/null
	@if [ -f $(BUILD)/host/tools/vornak-pack/vornak-pack ]; then \
	  cp $(BUILD)/host/tools/vornak-pack/vornak-pack $(DIST)/; fi
	@echo "dist/VornakSetup.exe: $$(stat -c %s $(DIST)/VornakSetup.exe) bytes"

demo: dist windows64
	@bash tools/demo.sh

test: dist windows64 sanitize
	@bash tools/run-tests.sh

bench: dist windows64
	@$(BUILD)/host/bench/pack_bench
	@$(BUILD)/host/bench/directory_bench
	@bash bench/install_path.sh

clean:
	rm -rf $(BUILD) $(DIST)
