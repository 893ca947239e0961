# The two commands of the README: `make run` and `make test`.
JOBS ?= $(shell nproc)
RELEASE := build/release
TEST := build/test
RUNDIR := $(RELEASE)/run

.PHONY: run test build-release build-test packages bench clean gl-check

packages:
	@scripts/ensure-packages.sh

build-release: packages
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DLETTERMOOR_TESTS=OFF
	cmake --build $(RELEASE) -j $(JOBS)

# Builds the game and its default data, then starts it in the run folder.
run: build-release
	cd $(RUNDIR) && ../bin/lettermoor

build-test: packages
	cmake -S . -B $(TEST) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLETTERMOOR_SANITIZE=address
	cmake --build $(TEST) -j $(JOBS)

test: build-test
	cd $(TEST) && ctest --output-on-failure -j $(JOBS)

# The OpenGL back end and its example under a private Xvfb.
gl-check: build-test
	cd $(TEST) && ctest --output-on-failure --no-tests=error -j $(JOBS) -R '^(GlExample|GlxWindow|GlxConfigChoice)\.'

bench: packages
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLETTERMOOR_TESTS=OFF -DLETTERMOOR_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	scripts/run-benchmarks.sh build/bench

clean:
	rm -rf build
