# SPDX-License-Identifier: GPL-3.0-or-later
# The two commands of the README: `make run` builds and starts Kestro,
# `make test` builds and runs every test. Both install what is missing first.
# `make package` builds the Debian package into build/.
# `make test` also runs the tests that need no window built with clang under AddressSanitizer
# and UndefinedBehaviorSanitizer, and builds the libFuzzer targets; `make fuzz` runs each for
# FUZZ_SECONDS.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZERS = profile_fuzz names_fuzz
JOBS ?= $(shell nproc)
# Extra settings for the configure step, as in `make test CMAKE_ARGS=-DKESTRO_WERROR=ON`.
CMAKE_ARGS ?=
# ccache, where installed, finds the same compilation in another checkout of the project.
export CCACHE_BASEDIR ?= $(CURDIR)

.PHONY: run test sanitize fuzz fuzzers build deps configure bench format clean package

run: build
	./$(BUILD)/kestro

test: build sanitize fuzzers
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Both of Debian's compilers build the project; clang's sanitizers check the tests that need
# no window (the window's tests need Qt built with them to be worth it).
sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DKESTRO_SANITIZE=address,undefined \
	  -DKESTRO_BUILD_WINDOW_TESTS=OFF -DKESTRO_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(SANITIZE_BUILD) -j $(JOBS) --target kestro_all_tests
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

# Built by `make test` too, so that a change the fuzzers no longer compile against is seen.
fuzzers: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DKESTRO_SANITIZE=address,undefined \
	  -DKESTRO_BUILD_FUZZ=ON -DKESTRO_BUILD_TESTS=OFF -DKESTRO_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZERS)

fuzz: fuzzers
	# Files in memory: every write flushes its file, which a disk makes slow.
	for fuzzer in $(FUZZERS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$fuzzer && \
	  TMPDIR=$$(test -w /dev/shm && echo /dev/shm || echo /tmp) \
	  ./$(FUZZ_BUILD)/fuzz/$$fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	    -artifact_prefix=$(FUZZ_BUILD)/$$fuzzer- $(FUZZ_BUILD)/corpus/$$fuzzer || exit 1; \
	done

build: configure
	cmake --build $(BUILD) -j $(JOBS)

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)

deps:
	./tools/setup-deps

bench: build
	./$(BUILD)/bench/kestro_bench

format:
	find src tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
