# The two commands a fresh machine needs: `make run` and `make test`. Both install what is
# missing first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
CTEST_FLAGS ?=

.PHONY: all deps configure build test run install fuzz bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCORVANE_WERROR=$(if $(CI),ON,OFF) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) $(CTEST_FLAGS)
	@scripts/run-fuzz-smoke $(BUILD_DIR)

run: build
	@if [ -x $(BUILD_DIR)/app/corvane ]; then exec $(BUILD_DIR)/app/corvane; \
	else echo "This build has no desktop program (configured with CORVANE_BUILD_GUI=OFF)."; fi

install: build
	@cmake --install $(BUILD_DIR) $(if $(PREFIX),--prefix $(PREFIX),)

fuzz: deps
	@scripts/run-fuzz-smoke $(BUILD_DIR) $(or $(SECONDS),600)

bench: build
	@scripts/run-bench $(BUILD_DIR)

clean:
	@rm -rf $(BUILD_DIR)
