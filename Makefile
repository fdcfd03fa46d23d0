# Two commands: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: run test test-sanitize build deps configure bench clean

deps:
	@scripts/deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/quorril

test: build
	@scripts/run-tests.sh $(BUILD)

# The suite under AddressSanitizer and UndefinedBehaviorSanitizer, in a build folder of its own.
test-sanitize: deps
	@cmake -S . -B $(BUILD)/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORRIL_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)/sanitize -j $(JOBS)
	@scripts/run-tests.sh $(BUILD)/sanitize

bench: build
	@scripts/run-bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
