# The two commands of the README: `make run` and `make test`.
JOBS ?= $(shell nproc)
RELEASE := build/release
TEST := build/test
RUNDIR := $(RELEASE)/run

.PHONY: run test build-release build-test packages bench clean

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

bench: packages
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLETTERMOOR_TESTS=OFF -DLETTERMOOR_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	scripts/run-benchmarks.sh build/bench

clean:
	rm -rf build

# The Debian package of the installed game (and the Windows zip where the
# windows target exists), its checks, and an install on a private X server.
PACKAGE := build/package
VERSION := $(shell grep -o -m 1 'lettermoor VERSION [0-9.]*' CMakeLists.txt | cut -d ' ' -f 3)
DEB = $(PACKAGE)/lettermoor_$(VERSION)-1_$(shell dpkg --print-architecture).deb

.PHONY: package package-check install-check packaging-packages

packaging-packages: packages
	@scripts/ensure-packages.sh scripts/packages-packaging.txt

package: packaging-packages
	cmake -S . -B $(PACKAGE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DLETTERMOOR_TESTS=OFF \
		-DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2" \
		-DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now"
	cmake --build $(PACKAGE) -j $(JOBS)
	cd $(PACKAGE) && cpack -G DEB
	@if grep -q '^windows:' Makefile; then $(MAKE) windows; fi

install-check: package
	scripts/install-check.sh $(DEB)

package-check: package
	lintian --fail-on error --info $(DEB)
	desktop-file-validate packaging/lettermoor.desktop
	scripts/install-check.sh $(DEB)
