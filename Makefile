# Entry points: `make test` and `make demo` each install what is missing, configure, build
# and run. Build trees live under build/.
BUILD_TEST ?= build/test
BUILD_TSAN ?= build/tsan
BUILD_DEMO ?= build/demo
JOBS ?= $(shell nproc)

export ASAN_OPTIONS ?= detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1

.PHONY: all deps build test bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD_TEST)/build.ninja: | deps
	cmake -S . -B $(BUILD_TEST) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNT_SANITIZE=ON

build: deps $(BUILD_TEST)/build.ninja
	cmake --build $(BUILD_TEST) -j $(JOBS)

# Every test suite, under AddressSanitizer and UndefinedBehaviorSanitizer.
test: build
	cd $(BUILD_TEST) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf build
