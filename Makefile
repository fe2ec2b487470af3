# The single entry point: every target does its own set-up on a fresh machine.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_WINDOWS ?= build-windows
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc)
SAMPLE     ?= samples/catalog.xml
ARGS       ?=
CMAKE_ARGS ?=

.PHONY: all bootstrap build build-asan build-windows run test test-asan test-windows bench fuzz install package format format-check clean

all: build

bootstrap:
	@tools/bootstrap

$(BUILD)/build.ninja: | bootstrap
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

build: bootstrap $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/app/velmar $(SAMPLE) $(ARGS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

$(BUILD_ASAN)/build.ninja: | bootstrap
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DVELMAR_SANITIZE=address,undefined -DVELMAR_BUILD_BENCH=OFF $(CMAKE_ARGS)

build-asan: bootstrap $(BUILD_ASAN)/build.ninja
	cmake --build $(BUILD_ASAN) -j $(JOBS)

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(BUILD_ASAN) --output-on-failure -j $(JOBS)

bench: build
	@benches=$$(find $(BUILD)/bench -type f -name 'velmar-bench*' -perm -u+x 2>/dev/null | sort); \
	if [ -z "$$benches" ]; then echo "bench: no benchmarks are built yet"; exit 1; fi; \
	for b in $$benches; do echo "== $$b"; $$b || exit 1; done

# The libraries and their suites cross-built for Windows with MinGW-w64,
# the suites run under Wine.
$(BUILD_WINDOWS)/build.ninja: | bootstrap
	cmake -S . -B $(BUILD_WINDOWS) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	  -DVELMAR_BUILD_BENCH=OFF $(CMAKE_ARGS)

build-windows: bootstrap $(BUILD_WINDOWS)/build.ninja
	cmake --build $(BUILD_WINDOWS) -j $(JOBS)

test-windows: build-windows
	tools/wine-ctest $(BUILD_WINDOWS) $(JOBS)

# Ten minutes of the XML loader's fuzz target (its own clang build).
FUZZ_SECONDS ?= 600
fuzz: bootstrap
	cmake -DSOURCE_DIR=$(CURDIR) -DWORK_DIR=$(CURDIR)/$(BUILD)/tests/xml/fuzz \
	  -DSECONDS=$(FUZZ_SECONDS) -P tests/xml/fuzz/run_fuzz.cmake

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# velmar_<version>_amd64.deb and velmar-dev_<version>_amd64.deb in $(BUILD).
package: build
	cmake --build $(BUILD) --target package

format: bootstrap
	git ls-files -z '*.h' '*.cpp' | xargs -0 -r clang-format -i

# Fails, naming the places, when a tracked source differs from .clang-format.
format-check: bootstrap
	git ls-files -z '*.h' '*.cpp' | xargs -0 -r clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_WINDOWS)
