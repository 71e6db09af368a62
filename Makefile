# Ravelin: `make run` builds and starts the program, `make test` runs the whole test suite,
# `make bench` times the thumbnail grid.
# Both install whatever Debian packages are missing first.
BUILD   ?= build
TYPE    ?= RelWithDebInfo
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: setup configure build run test bench format clean

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

# Makes its own picture folders under bench/out (once) and times the grid on them;
# `make bench FOLDER=/some/pictures` times it on a folder of your own instead.
bench: export RAVELIN_BENCH=1
bench: build
	@bench/run.sh $(BUILD)/bench/gridbench $(if $(FOLDER),"$(FOLDER)")

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
