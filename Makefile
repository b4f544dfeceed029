BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test run bench format clean fuzz asan

all: build

deps:
	@bash scripts/setup.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@bash scripts/test.sh $(BUILD)

run: build
	./$(BUILD)/product/canemill

bench: build
	@for b in $(BUILD)/bench/*; do if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; done

# The fuzz targets under fuzz/, built with clang's libFuzzer in build-fuzz and run for a short
# time each (FUZZ_SECONDS, FUZZ_JOBS); not part of `make test`.
fuzz:
	@JOBS=$(JOBS) bash scripts/fuzz.sh build-fuzz

# Every test under AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan.
asan: deps
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSM_SANITIZE=ON >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 bash scripts/test.sh build-asan

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
