# SPDX-License-Identifier: GPL-3.0-or-later
# Ravelin: `make run` builds and starts the program, `make test` runs the whole test suite,
# `make bench` times the thumbnail grid, `make package` builds the Debian package.
# Both install whatever Debian packages are missing first.
BUILD   ?= build
SAN_BUILD ?= build-asan
TYPE    ?= RelWithDebInfo
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: setup configure build run test package test-sanitize bench bench-batch peers soak hostile fuzz format clean

setup:
	@scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: export RAVELIN_GUI=1
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then $(BUILD)/ravelin; \
	 else echo "No display found: starting Ravelin under Xvfb"; xvfb-run -a $(BUILD)/ravelin; fi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-sanitize

# The Debian package (build/ravelin_<version>_<arch>.deb), for `apt-get install ./ravelin_*.deb`.
package: build
	@cmake --build $(BUILD) --target package

# The same suite built with AddressSanitizer and UndefinedBehaviorSanitizer (unoptimised: it
# builds faster, and the tests spend their time in Qt, which is not instrumented).
test-sanitize: setup
	@cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRAVELIN_SANITIZE=ON >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -E '^format$$'

# Long use: 200 cycles on a 1000-picture folder; the last line gives the memory growth.
soak: build
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bench/bench_soak $(CYCLES)

# The batches on 1,000 pictures, with and without the journal, beside mv and gio trash; as
# root also to a tmpfs and a FAT card image. RUNS=5 runs a case, the medians printed.
RUNS ?= 5
bench-batch: build
	@cd $(BUILD) && ./bench/batchbench $(RUNS) 1000

# Peak memory of the grid and the previews of every hostile sample picture, decoded on 2
# threads and on 8.
hostile: build
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bench/bench_hostile "" 2
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bench/bench_hostile "" 8

# libFuzzer on the loader and the name rules, built with clang in a tree of its own.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 120
fuzz: export RAVELIN_FUZZ=1
fuzz: setup
	@cmake -S fuzz -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	       -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Makes its own picture folders under bench/out (once) and times the grid on them, offscreen
# and on X (under Xvfb); `make bench FOLDER=/some/pictures` times it on a folder of your own
# instead, `make bench PLATFORMS=offscreen` on one platform only.
PLATFORMS ?= offscreen xcb
bench: export RAVELIN_BENCH=1
bench: export PLATFORMS := $(PLATFORMS)
bench: build
	@bench/run.sh $(BUILD)/bench/gridbench $(if $(FOLDER),"$(FOLDER)")

# Ravelin beside gThumb, Geeqie and qimgv (installed if missing), each alone under Xvfb, on the
# benchmark's folders; `make peers FOLDER=/some/pictures` on a folder of your own.
peers: export RAVELIN_BENCH=1
peers: export RAVELIN_PEERS=1
peers: build
	@bench/make-pictures.sh bench/out
	@RAVELIN=$(BUILD)/ravelin bench/peers.sh $(if $(FOLDER),"$(FOLDER)")

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
