# Thin wrapper over CMake. Every target first makes sure the Debian packages are there.
# BUILD selects the build folder (several working copies of the build can coexist).
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
BENCH_BUILD?= build-bench
# The fuzzers are linked in the sanitizer build's own tree: one clang build
# serves the sanitized test run and the fuzzers.
FUZZ_BUILD ?= $(ASAN_BUILD)
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 20
CMAKE_GEN  := -G "Unix Makefiles"

.PHONY: all deps build test asan tsan bench fuzz fuzz-smoke demo clean install-lv2

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

# clang with AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer
# (its function-type check included), every library instrumented for the
# fuzzers as well. -O1 and line tables are what the sanitizers' reports need,
# and build markedly faster than -O2 with full debug information.
SAN_FLAGS = -O1 -gline-tables-only -DNDEBUG
SAN_CONFIGURE = cmake -S . -B $(1) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_FLAGS_RELWITHDEBINFO="$(SAN_FLAGS)" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(SAN_FLAGS)" \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DORVANTA_SANITIZE=address,undefined,function -DORVANTA_FUZZ=ON -DORVANTA_TESTS=ON
SAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

asan: deps
	$(call SAN_CONFIGURE,$(ASAN_BUILD))
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	$(SAN_ENV) ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

tsan: deps
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANTA_SANITIZE=thread
	cmake --build $(TSAN_BUILD) -j$(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir $(TSAN_BUILD) --output-on-failure -j$(JOBS) -L tsan

bench: deps
	cmake -S . -B $(BENCH_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DORVANTA_BENCH=ON
	cmake --build $(BENCH_BUILD) -j$(JOBS)
	@set -e; for b in $(BENCH_BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

fuzz: deps
	$(call SAN_CONFIGURE,$(FUZZ_BUILD))
	cmake --build $(FUZZ_BUILD) --target fuzzers -j$(JOBS)

fuzz-smoke: fuzz
	$(SAN_ENV) ./scripts/fuzz-smoke.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Copies build/Orvanta.lv2 into the first folder of LV2_PATH, else ~/.lv2.
install-lv2: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS) --target OrvantaLV2
	cmake -DBUNDLE=$(BUILD)/Orvanta.lv2 -DPLATFORM_LIB=$(BUILD)/lib/libplatform.so -P lv2/InstallBundle.cmake

demo: build
	./scripts/demo.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
