# walkers: `make test` builds everything and runs every test; `make run`
# starts the program. Both install the Debian packages they need first.
JOBS ?= $(shell nproc)
HOST := build
RELEASE := build-release
WINDOWS := build-mingw
FUZZ := build-fuzz
# Seconds each fuzzer runs in `make test`; longer runs: tools/run-fuzzers.sh.
FUZZ_SECONDS ?= 30

.PHONY: all deps host release outline-tool windows fuzz test run clean

all: release

deps:
	@tools/install-deps.sh

# The tests' build: debug, with AddressSanitizer and UndefinedBehaviorSanitizer.
host: deps
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Debug -DWALKERS_SANITIZE=ON
	cmake --build $(HOST) -j$(JOBS)

release: deps
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) -j$(JOBS)

outline-tool: deps
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) --target outline_tool -j$(JOBS)

# The Windows build, cross-compiled with mingw-w64; the shape loaders come
# from the host's outline tool.
windows: outline-tool
	cmake -S . -B $(WINDOWS) -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
		-DWALKERS_HOST_BUILD=$(abspath $(RELEASE))
	cmake --build $(WINDOWS) -j$(JOBS)

# The libFuzzer targets, built with clang in a directory of their own.
fuzz: deps
	cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=Debug -DWALKERS_FUZZ=ON \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ) -j$(JOBS)

test: host windows fuzz
	cd $(HOST) && ctest --output-on-failure -j$(JOBS)
	tools/run-fuzzers.sh $(FUZZ) $(FUZZ_SECONDS)

run: release
	tools/run-walkers.sh $(RELEASE)/app/walkers

clean:
	rm -rf $(HOST) $(RELEASE) $(WINDOWS) $(FUZZ)
