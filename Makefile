# The two commands of the README, `make run` and `make test`, and the
# further targets CI and the maintainers use. Each target installs only the
# Debian packages its purpose needs (scripts/packages-*.txt).
JOBS ?= $(shell nproc)
RELEASE := build/release
TEST := build/test
TSAN := build/tsan
VALGRIND := build/valgrind
FUZZ := build/fuzz
WINDOWS := build/windows
FUZZ_SECONDS ?= 600
RUNDIR := $(RELEASE)/run
ENSURE := @scripts/ensure-packages.sh
# The sanitizer trees (test, tsan) build at -O1 with line tables only (-g1):
# the sanitizers' reports keep their files and lines, nothing is optimised
# away before they see it, and a test program compiles in about 40 % of the
# time of -O2 -g. The Windows build runs the same unit tests on -O2 code.
#
# These trees, the Windows, package and browser trees build in unity batches: a program's sources
# compile as a few files that include them, so GoogleTest and the project's
# headers are read once a batch instead of once a file (the test tree in
# about 55 % of the processor time). A source whose file-local names clash
# with a neighbour's is marked SKIP_UNITY_BUILD_INCLUSION where it is listed.
UNITY := -DCMAKE_UNITY_BUILD=ON
SANITIZER_BUILD := -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" $(UNITY)
# The test tree (make test, and the Wine play-through's driver) and the
# Windows tree (its build and its zip) are each configured one way.
TEST_CONFIGURE = cmake -S . -B $(TEST) -G Ninja $(SANITIZER_BUILD) -DLETTERMOOR_SANITIZE=address
WINDOWS_CONFIGURE = cmake -S . -B $(WINDOWS) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake $(UNITY)

# Dates in the package come from the last commit, so two builds of one
# commit are byte-identical.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2> /dev/null)
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

.PHONY: run test build-release build-test bench bench-compile tsan valgrind fuzz gl-check clean
.PHONY: windows windows-zip windows-test wine-driver shutdown-check soak tidy

build-release:
	$(ENSURE) run
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DLETTERMOOR_TESTS=OFF
	cmake --build $(RELEASE) -j $(JOBS)

# Builds the game and its default data, then starts it in the run folder on
# the plain word list WORDS (default: the shipped one), scrambled into place.
WORDS ?= data/woerter.plain.txt
run: build-release
	$(RELEASE)/bin/lettermoor-words encode -o $(RUNDIR)/woerter.txt < "$(WORDS)"
	cd $(RUNDIR) && ../bin/lettermoor

build-test:
	$(ENSURE) run test
	$(TEST_CONFIGURE)
	cmake --build $(TEST) -j $(JOBS)

test: build-test
	cd $(TEST) && ctest --output-on-failure -j $(JOBS)

# The window thread and everything that shares the screen with it: the X11
# and OpenGL back ends in a real window (WindowBackEnd, GlxWindow),
# and the whole game started, played and ended in every way (GameShutdown,
# GameBlackBox). Only x11_tests start a second thread (the null back end has
# none: the other tests draw on one thread), so only they are built here.
tsan:
	$(ENSURE) run test
	cmake -S . -B $(TSAN) -G Ninja $(SANITIZER_BUILD) -DLETTERMOOR_SANITIZE=thread
	cmake --build $(TSAN) -j $(JOBS) --target x11_tests
	cd $(TSAN) && TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp atexit_sleep_ms=0" \
		ctest --output-on-failure --no-tests=error -j $(JOBS) -L '^x11_tests$$'

# clang-tidy with the repository's checks over every source that builds here.
# clang-tidy reads one compile command a source: its own tree, without the
# test tree's unity batches and GoogleTest header precompiled by GCC.
TIDY := build/tidy
tidy:
	$(ENSURE) run test tidy
	cmake -S . -B $(TIDY) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON
	scripts/run-clang-tidy.sh $(TIDY)

# The whole suite under memcheck: no errors, no definite leaks (not in CI:
# it takes longer than the rest of CI together).
valgrind:
	$(ENSURE) run test valgrind
	cmake -S . -B $(VALGRIND) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g"
	cmake --build $(VALGRIND) -j $(JOBS)
	scripts/run-valgrind.sh $(VALGRIND) $(JOBS)

# Each fuzz target replays its corpus, then fuzzes for FUZZ_SECONDS (CI: 12).
# Built like the sanitizer trees, at -O1 with line tables, the usual flags
# for libFuzzer, which compile faster than -O2 -g.
fuzz:
	$(ENSURE) run fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -G Ninja $(SANITIZER_BUILD) \
		-DLETTERMOOR_FUZZ=ON -DLETTERMOOR_TESTS=OFF
	cmake --build $(FUZZ) -j $(JOBS) --target fuzz-targets
	scripts/run-fuzzers.sh $(FUZZ) $(FUZZ_SECONDS)

# The OpenGL back end and its example under a private Xvfb.
gl-check: build-test
	cd $(TEST) && ctest --output-on-failure --no-tests=error -j $(JOBS) -R '^(GlExample|GlxWindow|GlxConfigChoice)\.|^Each/WindowBackEnd\..*/OpenGL'

# Ends the game 200 times at random moments in every way it can be ended.
shutdown-check: build-test
	tests/run-shutdown-loop.sh 200 $(TEST)

# Plays the optimised game for SOAK_SECONDS with synthetic input, then checks
# it is alive, answering and not growing.
SOAK_SECONDS ?= 600
SOAK := build/soak
soak:
	$(ENSURE) run test
	cmake -S . -B $(SOAK) -G Ninja -DCMAKE_BUILD_TYPE=Release -DLETTERMOOR_TESTS=ON
	cmake --build $(SOAK) -j $(JOBS) --target lettermoor lettermoor-soak-player run-folder
	SOAK_BUILD=$(SOAK) tools/soak/soak.sh $(SOAK_SECONDS)

bench:
	$(ENSURE) run bench
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLETTERMOOR_TESTS=OFF -DLETTERMOOR_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	scripts/run-benchmarks.sh build/bench

# The benchmarks compiled and linked in the test tree, not run (CI): a change
# that breaks them shows at once, without a release tree of their own.
bench-compile: build-test
	cmake --build $(TEST) -j $(JOBS) --target benchmarks

# The 64-bit Windows build (cross-compiled with MinGW-w64): the game, the
# tools and the unit tests in build/windows. The game must be a GUI program,
# or Explorer opens a console window beside it.
windows:
	$(ENSURE) windows
	$(WINDOWS_CONFIGURE)
	cmake --build $(WINDOWS) -j $(JOBS)
	x86_64-w64-mingw32-objdump -p $(WINDOWS)/bin/lettermoor.exe | grep -q 'Windows GUI' || \
		{ echo "lettermoor.exe is not built for the Windows GUI subsystem" >&2; exit 1; }

# lettermoor-<version>-win64.zip in build/windows: the game, its data and the
# tools, without the tests.
windows-zip:
	$(ENSURE) windows
	$(WINDOWS_CONFIGURE)
	cmake --build $(WINDOWS) -j $(JOBS) --target win64-zip

# The Windows build's unit tests and play-throughs under Wine and Xvfb; the
# play-through driver is a host program of the test build.
windows-test: windows wine-driver
	scripts/windows-test.sh $(TEST)/bin/wine-play-through

# The driver of the play-through under Wine, a host program of the test build.
wine-driver:
	$(ENSURE) run test
	$(TEST_CONFIGURE)
	cmake --build $(TEST) -j $(JOBS) --target wine-play-through

clean:
	rm -rf build

# The Debian package of the installed game, its checks, and an install on a
# private X server.
PACKAGE := build/package
VERSION := $(shell grep -o -m 1 'lettermoor VERSION [0-9.]*' CMakeLists.txt | cut -d ' ' -f 3)
DEB_NAME = lettermoor_$(VERSION)-1_$(shell dpkg --print-architecture).deb
DEB = $(PACKAGE)/$(DEB_NAME)

.PHONY: package package-check install-check

package:
	$(ENSURE) run packaging
	cmake -S . -B $(PACKAGE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DLETTERMOOR_TESTS=OFF \
		-DLETTERMOOR_GL_EXAMPLE=OFF $(UNITY) \
		-DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2" \
		-DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now"
	cmake --build $(PACKAGE) -j $(JOBS)
	cd $(PACKAGE) && cpack -G DEB

install-check: package
	scripts/install-check.sh $(DEB)

# lintian without errors or warnings, and a second packing of the same build
# that must equal the first byte for byte.
package-check: package
	lintian --fail-on error,warning --info $(DEB)
	rm -rf $(PACKAGE)/again
	cd $(PACKAGE) && cpack -G DEB -B $(CURDIR)/$(PACKAGE)/again > /dev/null
	cmp $(DEB) $(PACKAGE)/again/$(DEB_NAME) && echo "two packings of $(DEB_NAME) are identical"
	desktop-file-validate packaging/lettermoor.desktop
	scripts/install-check.sh $(DEB)

# The browser build. build/web holds the page, the game's .js and .wasm and the
# default data files, nothing else: any static web host serves it as it is.
# Debian's emscripten needs its JavaScript helpers from /usr/share/nodejs.
# Its compiler starts a Python driver and clang per source: in unity batches
# the build takes under half the processor time (56 s against 127 s), for a
# .wasm 62 bytes larger.
WEB := build/web
WEB_BUILD := build/web-build
WEB_PORT ?= 8000
WEB_ENV := NODE_PATH=/usr/share/nodejs
EMSCRIPTEN_TOOLCHAIN = $(dir $(realpath $(shell command -v emcc)))cmake/Modules/Platform/Emscripten.cmake
.PHONY: web web-serve web-test web-bench web-packages

web-packages:
	$(ENSURE) run web
	@command -v npm > /dev/null || scripts/ensure-packages.sh web-npm

web: web-packages
	$(WEB_ENV) cmake -S . -B $(WEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
		-DLETTERMOOR_TESTS=OFF -DCMAKE_TOOLCHAIN_FILE=$(EMSCRIPTEN_TOOLCHAIN) $(UNITY) \
		-DCMAKE_CROSSCOMPILING_EMULATOR=$(shell command -v node)
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS) --target lettermoor run-folder
	rm -rf $(WEB) && mkdir -p $(WEB)
	cp web/index.html $(WEB_BUILD)/bin/lettermoor.js $(WEB_BUILD)/bin/lettermoor.wasm \
		$(WEB_BUILD)/run/woerter.txt $(WEB_BUILD)/run/win.bmp $(WEB)/

web-serve: web
	@echo "Lettermoor in the browser: http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops)"
	cd $(WEB) && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

# npm installs the pinned browser driver once per change of the lock file.
WEB_DRIVER := tests/web/node_modules/.package-lock.json
$(WEB_DRIVER): tests/web/package-lock.json | web-packages
	cd tests/web && npm ci --no-audit --no-fund --loglevel=error --prefer-offline

# The play-through in headless Chromium.
web-test: web $(WEB_DRIVER)
	node --test tests/web/

# Size, first frame, frame time and idle CPU of the page, measured.
web-bench: web $(WEB_DRIVER)
	node scripts/web-bench.mjs $(WEB)
