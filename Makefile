# SPDX-License-Identifier: GPL-3.0-or-later
# make run   installs what is missing, builds and starts Tovin
# make test  installs what is missing, builds and runs every test
# make fuzz  fuzzes tovin-cli's option reader with libFuzzer for FUZZ_SECONDS
# make fuzz-session  fuzzes the session file reader the same way
# make deb   builds the Debian package tovin_VERSION_ARCH.deb here
# make deb-check  builds it, then checks it with Debian's tools and installs and removes it
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
CTEST_EXCLUDE ?= soak
FUZZ_SECONDS ?= 300
DEB_BUILD ?= build-deb
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get

.PHONY: all deps configure build programs run test soak fuzz fuzz-session deb deb-check clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

# Everything: the programs, the tests and the benchmarks.
build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The two programs alone, a third of the build: what a first run waits for.
programs: configure
	cmake --build $(BUILD) -j $(JOBS) --target tovin tovin-cli

run: programs
	$(BUILD)/app/tovin

# Every test but the ten-minute soak (make soak runs that one) and the package check,
# which installs the package built by make deb (.ci/run runs it after make deb).
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE '$(CTEST_EXCLUDE)|package'

soak: build
	cd $(BUILD) && ctest --output-on-failure -L soak

# The corpus stays in build-fuzz/, out of the repository.
fuzz:
	@bash scripts/install-deps.sh fuzz
	cmake -S . -B build-fuzz -DTOVIN_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-fuzz --target cli_options_fuzz -j $(JOBS)
	mkdir -p build-fuzz/corpus
	build-fuzz/tests/cli_options_fuzz -max_total_time=$(FUZZ_SECONDS) \
	  -dict=tests/cli/options_fuzz.dict build-fuzz/corpus

# Its corpus is build-fuzz/session-corpus, beside the command line's.
fuzz-session:
	@bash scripts/install-deps.sh fuzz
	cmake -S . -B build-fuzz -DTOVIN_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-fuzz --target session_reader_fuzz -j $(JOBS)
	mkdir -p build-fuzz/session-corpus
	build-fuzz/tests/session_reader_fuzz -max_total_time=$(FUZZ_SECONDS) \
	  -dict=tests/session/reader_fuzz.dict build-fuzz/session-corpus

# A build of its own, installed under /usr (where the window looks for its README), with
# Debian's hardening flags (all of them), and without the tests: only what the package holds is built.
deb:
	@bash scripts/install-deps.sh deb
	cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
	  -DBUILD_TESTING=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
	  -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CXXFLAGS) $$($(DEB_FLAGS) CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)"
	cmake --build $(DEB_BUILD) --target tovin tovin-cli tovin-docs -j $(JOBS)
	rm -f $(DEB_BUILD)/tovin_*.deb tovin_*.deb
	cd $(DEB_BUILD) && cpack -G DEB
	cp $(DEB_BUILD)/tovin_*.deb .

# The checks need tools that building does not (lintian and its Perl, the AppStream and
# desktop validators, man): they are installed here, or in CI, not by make deb.
deb-check: deb
	@bash scripts/install-deps.sh deb-check
	bash packaging/check-deb.sh tovin_*.deb
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cd $(BUILD) && ctest --output-on-failure -L package

clean:
	rm -rf $(BUILD) $(DEB_BUILD)
