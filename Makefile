# The two commands of the README: `make run` and `make test`.
BUILD_DIR   ?= build
RELEASE_DIR ?= build-release
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR    ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure check-deps build test test-sanitize fuzz run window release bench clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Every package the configured build uses must come from scripts/install-deps.sh.
check-deps: configure
	@bash scripts/check-deps.sh $(BUILD_DIR)

test: check-deps build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

release: deps
	@cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS) --target KVE

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DKVE_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && ctest --output-on-failure -j $(JOBS)

# Builds the fuzz targets of tools/fuzz with clang's libFuzzer and runs each
# for FUZZ_SECONDS on a copy of its seed corpus (new inputs stay in
# $(FUZZ_DIR)/corpus; crashes are written to $(FUZZ_DIR)). Not part of CI.
fuzz: deps
	@command -v clang++ >/dev/null || { echo "make fuzz needs clang and libclang-rt-14-dev"; exit 1; }
	@cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	       -DKVE_SANITIZE=ON -DKVE_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzzers
	@for t in dataset_file command_line format; do \
	  mkdir -p $(FUZZ_DIR)/corpus/$$t && cp -n tools/fuzz/corpus/$$t/* $(FUZZ_DIR)/corpus/$$t/; \
	  echo "fuzz_$$t: $(FUZZ_SECONDS) s"; \
	  (cd $(FUZZ_DIR) && QT_QPA_PLATFORM=offscreen ./tools/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) \
	     -print_final_stats=1 corpus/$$t) || exit 1; \
	done

run: release
	@bash scripts/run-main-job.sh $(RELEASE_DIR)

# KVE's main window, on the desktop this is started from.
window: release
	@$(RELEASE_DIR)/app/KVE

bench: release
	@cmake --build $(RELEASE_DIR) -j $(JOBS) --target benchmarks

clean:
	rm -rf $(BUILD_DIR) $(RELEASE_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
