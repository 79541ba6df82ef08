# Huebench: the README's two commands are `make run` and `make test`.
SHELL := /bin/bash
FUZZ_SECONDS ?= 30

.PHONY: run test test-asan test-tsan bench bench-smoke fuzz fuzz-replay tidy format format-check \
	package package-check deps deps-build build clean

# Every package list: building and running (deps/build.txt) and the rest (deps/test.txt).
deps:
	@scripts/install-deps

deps-build:
	@scripts/install-deps deps/build.txt

# Configure and build an optimised application, then start it.
run: deps-build
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

# The tests of the threaded services (CTest label "threads") under ThreadSanitizer; only their
# targets are built. The test preset sets TSAN_OPTIONS with the suppressions in tests/tsan.supp.
test-tsan: deps
	cmake --preset tsan
	targets=$$(ctest --preset tsan -N 2>/dev/null | sed -n 's/^ *Test *#[0-9]*: *//p'); \
	  [ -n "$$targets" ] || { echo "test-tsan: no test is labelled threads" >&2; exit 1; }; \
	  cmake --build --preset tsan --target $$targets
	scripts/test-env ctest --preset tsan

bench: deps
	cmake --preset bench
	cmake --build --preset bench --target bench-targets
	scripts/test-env scripts/run-bench build/bench

# Each benchmark once on a small load: shows that it still builds and runs (CI), judges nothing.
bench-smoke: deps
	cmake --preset bench
	cmake --build --preset bench --target bench-targets
	scripts/test-env scripts/run-bench --smoke build/bench

# Every fuzz target for FUZZ_SECONDS seconds under ASan and UBSan.
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz --target fuzz-targets
	scripts/run-fuzz build/fuzz $(FUZZ_SECONDS)

# Every fuzz target on each of its committed seeds once, no fuzzing (CI).
fuzz-replay: deps
	cmake --preset fuzz
	cmake --build --preset fuzz --target fuzz-targets
	scripts/run-fuzz build/fuzz replay

# clang-tidy (.clang-tidy) on every .cpp of src, tests, bench and fuzz in the "tidy" preset's
# compile database; fails on any finding. Only Qt's moc step runs first, without building
# anything (the autogen targets would build every library): tests include its "Foo.moc" output.
tidy: deps
	cmake --preset tidy
	find build/tidy -path '*/CMakeFiles/*_autogen.dir/AutogenInfo.json' -print0 \
	  | xargs -0 -P 2 -I {} cmake -E cmake_autogen {} Debug
	set -o pipefail; run-clang-tidy-14 -quiet -j 2 -p build/tidy \
	  '^$(CURDIR)/(src|tests|bench|fuzz)/.*\.cpp$$' 2>&1 \
	  | sed -e 's/\x1b\[[0-9;]*m//g' -e '/^[0-9]* warnings\? generated\.$$/d'

# The Debian package build/release/huebench_<version>_<arch>.deb of an optimised build for /usr.
package: deps
	cmake --preset release -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build --preset release
	cd build/release && cpack -G DEB

# That package, checked: its fields and dependencies, its files, the desktop file and metadata
# in it, its programs run from an unpacked copy, and its installation simulated by apt-get.
package-check: package
	scripts/check-package build/release

# The committed .clang-format on every tracked C++ file: check, or apply.
format-check:
	scripts/check-format

format:
	scripts/check-format --fix

clean:
	rm -rf build
