# The two commands of the README: `make run` and `make test`.
JOBS ?= $(shell nproc)
RELEASE := build/release
TEST := build/test
RUNDIR := $(RELEASE)/run

.PHONY: run test build-release build-test packages bench clean shutdown-check soak

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

# Ends the game 200 times at random moments in every way it can be ended.
shutdown-check: build-test
	tests/run-shutdown-loop.sh 200 $(TEST)

# Plays the optimised game for SOAK_SECONDS with synthetic input, then checks
# it is alive, answering and not growing.
SOAK_SECONDS ?= 600
SOAK := build/soak
soak: packages
	cmake -S . -B $(SOAK) -G Ninja -DCMAKE_BUILD_TYPE=Release -DLETTERMOOR_TESTS=ON
	cmake --build $(SOAK) -j $(JOBS) --target lettermoor lettermoor-soak-player run-folder
	SOAK_BUILD=$(SOAK) tests/soak.sh $(SOAK_SECONDS)

bench: packages
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLETTERMOOR_TESTS=OFF -DLETTERMOOR_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	scripts/run-benchmarks.sh build/bench

clean:
	rm -rf build
