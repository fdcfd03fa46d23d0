# Two commands: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: run test test-sanitize build bench clean

# The game and its plug-in alone: running needs none of the test tools.
run:
	@scripts/deps.sh run
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORRIL_TESTS=OFF >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target quorril Bonjour
	@$(BUILD)/quorril

# Everything, the tests and the benchmarks included.
build:
	@scripts/deps.sh test
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORRIL_TESTS=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@scripts/run-tests.sh $(BUILD)

# The suite under AddressSanitizer and UndefinedBehaviorSanitizer, in a build folder of its own.
test-sanitize:
	@scripts/deps.sh test
	@cmake -S . -B $(BUILD)/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORRIL_TESTS=ON -DQUORRIL_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)/sanitize -j $(JOBS)
	@scripts/run-tests.sh $(BUILD)/sanitize

bench: build
	@scripts/run-bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
