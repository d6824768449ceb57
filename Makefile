# Entry points: `make test` and `make demo` each install what is missing, configure, build
# and run. Build trees live under build/.
BUILD_TEST ?= build/test
BUILD_TSAN ?= build/tsan
BUILD_DEMO ?= build/demo
JOBS ?= $(shell nproc)

export ASAN_OPTIONS ?= detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1

.PHONY: all deps build test tsan demo bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD_TEST)/build.ninja: | deps
	cmake -S . -B $(BUILD_TEST) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNT_SANITIZE=ON

build: deps $(BUILD_TEST)/build.ninja
	cmake --build $(BUILD_TEST) -j $(JOBS)

# Every test suite, under AddressSanitizer and UndefinedBehaviorSanitizer; then the suites
# whose threads share state, under ThreadSanitizer.
test: build
	cd $(BUILD_TEST) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) tsan

THREADED_SUITES := supervisor_run_engine_test
$(BUILD_TSAN)/build.ninja: | deps
	cmake -S . -B $(BUILD_TSAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNT_TSAN=ON

tsan: deps $(BUILD_TSAN)/build.ninja
	cmake --build $(BUILD_TSAN) -j $(JOBS) --target $(THREADED_SUITES) fakejava moxalsvc svcENU svcDEU ntreg
	cd $(BUILD_TSAN) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --output-on-failure -j $(JOBS) -R 'EngineThreads'

$(BUILD_DEMO)/build.ninja: | deps
	cmake -S . -B $(BUILD_DEMO) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNT_BUILD_TESTS=OFF

# The main job: install the product on a scratch machine and run its services on the real JVM.
demo: deps $(BUILD_DEMO)/build.ninja
	cmake --build $(BUILD_DEMO) -j $(JOBS)
	BUILD_DEMO=$(abspath $(BUILD_DEMO)) demo/run_demo.sh

BUILD_BENCH ?= build/bench
$(BUILD_BENCH)/build.ninja: | deps
	cmake -S . -B $(BUILD_BENCH) -G Ninja -DCMAKE_BUILD_TYPE=Release -DNT_BUILD_TESTS=OFF -DNT_BUILD_BENCH=ON

# The benchmarks, optimised and without sanitizers.
bench: deps $(BUILD_BENCH)/build.ninja
	cmake --build $(BUILD_BENCH) -j $(JOBS) --target property_load_bench
	$(BUILD_BENCH)/bin/property_load_bench

clean:
	rm -rf build
