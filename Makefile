# Vornak Installer: top-level commands.
#   make        build everything into dist/
#   make demo   build, then build a sample installer and run it under Wine
#   make test   build, then run every test (host, sanitizers, Windows under Wine)
#   make test32 build, then run the i686 Windows suites in a QEMU guest, as
#               make test does where the kernel cannot run 32-bit code
#   make bench  build, then run every benchmark at full size (packing, line
#               reading, the install path under Wine; LARGE=1 adds a 1 GB file)
JOBS ?= $(shell nproc)
BUILD := build
DIST := dist

.PHONY: all deps-host deps-windows deps-test deps-guest windows windows64 host sanitize dist demo-products \
	demo-windows demo-windows64 demo-host demo test test32 bench format clean

all: dist

# Only what runs Windows programs (demo, test, bench) prepares Wine, which
# needs root; the builds need it only to install missing packages.
deps-host:
	@bash tools/bootstrap.sh host
deps-windows:
	@bash tools/bootstrap.sh windows
deps-test:
	@bash tools/bootstrap.sh test
deps-guest:
	@bash tools/bootstrap.sh guest

CONFIGURE_WINDOWS = cmake -S . -B $(BUILD)/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	-DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
CONFIGURE_WINDOWS64 = cmake -S . -B $(BUILD)/windows64 \
	-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
CONFIGURE_HOST = cmake -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Release >/dev/null
# The products in dist/: the stub, its 64-bit edition (where it was built)
# and the native packer.
STUB64 = $(BUILD)/windows64/app/VornakSetup.exe
INSTALL_DIST = mkdir -p $(DIST) && cmake --install $(BUILD)/windows --prefix $(DIST) >/dev/null && \
	cp $(BUILD)/host/packer/vornak-pack $(DIST)/ && \
	{ [ ! -f $(STUB64) ] || cp $(STUB64) $(DIST)/VornakSetup64.exe; } && \
	echo "dist/VornakSetup.exe: $$(stat -c %s $(DIST)/VornakSetup.exe) bytes"

windows: deps-windows
	@$(CONFIGURE_WINDOWS)
	@cmake --build $(BUILD)/windows -j$(JOBS)

# The same Windows sources for x86_64: the tests run from this build where
# the machine cannot run 32-bit code (see cmake/mingw-x86_64.cmake).
windows64: deps-windows
	@$(CONFIGURE_WINDOWS64)
	@cmake --build $(BUILD)/windows64 -j$(JOBS)

host: deps-host
	@$(CONFIGURE_HOST)
	@cmake --build $(BUILD)/host -j$(JOBS)

sanitize: deps-host
	@cmake -S . -B $(BUILD)/sanitize -DCMAKE_BUILD_TYPE=Debug -DVORNAK_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)/sanitize -j$(JOBS)

dist: windows windows64 host
	@$(INSTALL_DIST)

# What the demo needs and nothing more: the stub, the sample's program and the
# packer, none of the test trees. The Windows and the Linux build run side by
# side; the demo builds the x86_64 stub itself, only where 32-bit code cannot
# run.
demo-products: deps-test
	@$(MAKE) --no-print-directory -j2 demo-windows demo-host
	@$(INSTALL_DIST)

demo-windows:
	@$(CONFIGURE_WINDOWS)
	@cmake --build $(BUILD)/windows -j$(JOBS) --target VornakSetup sampletool

demo-windows64:
	@$(CONFIGURE_WINDOWS64)
	@cmake --build $(BUILD)/windows64 -j$(JOBS) --target VornakSetup sampletool

demo-host:
	@$(CONFIGURE_HOST)
	@cmake --build $(BUILD)/host -j$(JOBS) --target vornak-pack

demo: demo-products
	@bash tools/demo.sh

test: deps-test dist windows64 sanitize
	@bash tools/run-tests.sh

# The guest needs only the i686 build (tools/guest-lane.sh).
test32: deps-guest windows
	@bash tools/guest-lane.sh

bench: deps-test dist windows64
	@$(BUILD)/host/bench/pack_bench
	@$(BUILD)/host/bench/directory_bench
	@bash bench/install_path.sh

# Applies .clang-format to every C and C++ file of the tree; `make test`
# fails where a file differs from it.
format:
	@git ls-files '*.c' '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(DIST)
