# The two commands of the README: `make run` and `make test`.
BUILD_DIR   ?= build
RELEASE_DIR ?= build-release
SANITIZE_DIR ?= build-sanitize
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure check-deps build test test-sanitize run release bench clean

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

run: release
	@bash scripts/run-main-job.sh $(RELEASE_DIR)

bench: release
	@cmake --build $(RELEASE_DIR) -j $(JOBS) --target benchmarks

clean:
	rm -rf $(BUILD_DIR) $(RELEASE_DIR) $(SANITIZE_DIR)
