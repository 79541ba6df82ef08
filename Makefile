# Huebench: the README's two commands are `make run` and `make test`.
SHELL := /bin/bash
FUZZ_SECONDS ?= 30

.PHONY: run test test-asan bench fuzz deps build clean

deps:
	@scripts/install-deps

# Configure and build an optimised application, then start it.
run: deps
	cmake --preset release
	cmake --build --preset release
	build/release/src/app/huebench

build: deps
	cmake --preset dev
	cmake --build --preset dev

# Debug build with warnings as errors; every test through CTest, output shown on failure.
test: build
	scripts/test-env ctest --preset dev

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 scripts/test-env ctest --preset asan

bench: deps
	cmake --preset bench
	cmake --build --preset bench
	@for b in build/bench/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; "$$b" || exit 1; done

# Every fuzz target for FUZZ_SECONDS seconds under ASan and UBSan.
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/run-fuzz build/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build
