# The two commands of the README: `make run` builds and starts Kestro,
# `make test` builds and runs every test. Both install what is missing first.
# `make package` builds the Debian package into build/.
BUILD ?= build
JOBS ?= $(shell nproc)
# Extra settings for the configure step, as in `make test CMAKE_ARGS=-DKESTRO_WERROR=ON`.
CMAKE_ARGS ?=
# ccache, where installed, finds the same compilation in another checkout of the project.
export CCACHE_BASEDIR ?= $(CURDIR)

.PHONY: run test build deps configure bench format clean package

run: build
	./$(BUILD)/kestro

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)

deps:
	./tools/setup-deps

bench: build
	./$(BUILD)/bench/kestro_bench

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
