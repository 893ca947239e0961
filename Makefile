# The two commands of the README: `make run` and `make test`.
JOBS ?= $(shell nproc)
RELEASE := build/release
TEST := build/test
RUNDIR := $(RELEASE)/run

.PHONY: run test build-release build-test packages bench clean gl-check
.PHONY: windows windows-test

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

# The 64-bit Windows build (cross-compiled with MinGW-w64): the game, the
# tools, the unit tests and lettermoor-<version>-win64.zip in build/windows.
windows: packages
	cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
	cmake --build build/windows -j $(JOBS)

# The Windows build's unit tests and play-throughs under Wine and Xvfb; the
# play-through driver is a host program.
windows-test: windows
	cmake -S . -B build/wine-host -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build build/wine-host -j $(JOBS) --target wine-play-through
	scripts/windows-test.sh build/wine-host/bin/wine-play-through

clean:
	rm -rf build
