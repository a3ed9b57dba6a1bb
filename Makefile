# walkers: `make run` builds and starts the program, `make test` builds
# everything and runs every test, `make install` and `make package` install
# it or make a Debian package of it, `make dist` makes every download and
# their checksums. Each installs the Debian packages it needs first: `make
# run` only what building and running takes.
JOBS ?= $(shell nproc)
HOST := build
RELEASE := build-release
WINDOWS := build-mingw
PACKAGE := build-package
FUZZ := build-fuzz
DIST := build-dist
VERSION := $(shell sed -n 's/^project.walkers VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# What the builds write as their time: the last commit's, or in a source
# release (no git) its files', which are the commit's. One commit's
# downloads then come out the same byte for byte.
ifndef SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH := $(shell git log -1 --format=%ct 2>/dev/null || stat -c %Y CMakeLists.txt)
endif
export SOURCE_DATE_EPOCH
# `make windows WINDOWS_TARGET=walkers_release` builds only the downloads.
WINDOWS_TARGET ?= all
PREFIX ?= /usr/local
# Seconds each fuzzer runs in `make test` (seven, two at a time: 80 s in
# all); longer runs: tools/run-fuzzers.sh.
FUZZ_SECONDS ?= 20

.PHONY: all deps deps-run deps-tests deps-windows host release outline-tool windows fuzz test \
	test-root run install uninstall package dist clean

all: release

deps-run:
	@tools/install-deps.sh run

deps-tests:
	@tools/install-deps.sh run tests

deps-windows:
	@tools/install-deps.sh run windows

deps:
	@tools/install-deps.sh run tests windows

# The tests' build: debug, with AddressSanitizer and UndefinedBehaviorSanitizer,
# warnings as errors.
host: deps-tests
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Debug -DWALKERS_SANITIZE=ON -DWALKERS_WERROR=ON \
		-DWALKERS_TESTS=ON -DWALKERS_PACKAGE_BUILD=$(abspath $(PACKAGE))
	cmake --build $(HOST) -j$(JOBS)

# The program (and its tests and benchmark, when GoogleTest is installed).
release: deps-run
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(RELEASE) -j$(JOBS)

outline-tool: deps-run
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) --target outline_tool -j$(JOBS)

# The Windows build, cross-compiled with mingw-w64; the shape loaders come
# from the host's outline tool. Besides walkers.exe and its tests it makes
# walkers-<version>-windows-x64.zip and walkers-<version>-setup.exe.
windows: deps-windows outline-tool
	cmake -S . -B $(WINDOWS) -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
		-DWALKERS_HOST_BUILD=$(abspath $(RELEASE))
	cmake --build $(WINDOWS) -j$(JOBS) --target $(WINDOWS_TARGET)

# The libFuzzer targets, built with clang in a directory of their own.
fuzz: deps-tests
	cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=Debug -DWALKERS_FUZZ=ON \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ) -j$(JOBS)

# The Debian 13 root that holds the newer desktops for the tests builds in
# the background while the rest compiles (3-7 minutes the first time, then
# kept in /var/cache/walkers-test-root); the test debian13_root waits for
# it and says how it ended.
test-root: deps-tests
	@tools/test-root.sh build --background || true

# The package's tests look at what `make package` made. A test that fails
# runs once more: the end-to-end runs on four headless desktops share two
# processors, and now and then one of them loses a synthetic click or a
# start; the first failure stays in the output.
test: deps test-root host windows package fuzz
	cd $(HOST) && ctest --output-on-failure -j$(JOBS) --repeat until-pass:2
	@tools/test-root.sh report
	tools/run-fuzzers.sh $(FUZZ) $(FUZZ_SECONDS)

run: release
	tools/run-walkers.sh $(RELEASE)/app/walkers

# Into $(DESTDIR)$(PREFIX); `make uninstall` removes what it installed.
install: release
	DESTDIR="$(DESTDIR)" cmake --install $(RELEASE)

uninstall:
	@test -f $(RELEASE)/install_manifest.txt || { echo "nothing was installed from $(RELEASE)" >&2; exit 1; }
	xargs -d '\n' rm -fv < $(RELEASE)/install_manifest.txt

# walkers_<version>_amd64.deb in $(PACKAGE): built with the flags Debian
# builds its packages with, hardening included (bind now as well). CPack
# gives the package's members the modes its files got, so it runs under the
# umask Debian's own package builds set.
package: deps-run
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all && \
	cmake -S . -B $(PACKAGE) -DCMAKE_BUILD_TYPE=Release -DWALKERS_TESTS=OFF -DWALKERS_DEB=ON \
		-DCMAKE_INSTALL_PREFIX=/usr \
		-DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" && \
	cmake --build $(PACKAGE) -j$(JOBS) && \
	cd $(PACKAGE) && umask 022 && cpack

# Every download in $(DIST): the source release walkers-<version>.tar.gz,
# made from the committed tree (uncommitted changes are not in it), the
# Debian package, the Windows zip and installer, and SHA256SUMS over them.
dist:
	$(MAKE) package windows WINDOWS_TARGET=walkers_release
	rm -rf $(DIST) && mkdir -p $(DIST)
	git archive --format=tar --prefix=walkers-$(VERSION)/ HEAD | gzip -9n >$(DIST)/walkers-$(VERSION).tar.gz
	cp $(PACKAGE)/walkers_$(VERSION)_amd64.deb $(WINDOWS)/walkers-$(VERSION)-windows-x64.zip \
		$(WINDOWS)/walkers-$(VERSION)-setup.exe $(DIST)/
	cd $(DIST) && sha256sum walkers* >SHA256SUMS && cat SHA256SUMS

clean:
	rm -rf $(HOST) $(RELEASE) $(WINDOWS) $(PACKAGE) $(FUZZ) $(DIST)
