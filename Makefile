# walkers: `make test` builds everything and runs every test; `make run`
# starts the program. Both install the Debian packages they need first.
JOBS ?= $(shell nproc)
HOST := build
RELEASE := build-release
WINDOWS := build-mingw

.PHONY: all deps host release outline-tool windows test run clean

all: release

deps:
	@tools/install-deps.sh

# The tests' build: debug, with AddressSanitizer and UndefinedBehaviorSanitizer,
# warnings as errors.
host: deps
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Debug -DWALKERS_SANITIZE=ON -DWALKERS_WERROR=ON
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

test: host windows
	cd $(HOST) && ctest --output-on-failure -j$(JOBS)

run: release
	tools/run-walkers.sh $(RELEASE)/app/walkers

clean:
	rm -rf $(HOST) $(RELEASE) $(WINDOWS)
