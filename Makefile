BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test run bench format clean

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

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
