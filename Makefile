# make run   installs what is missing, builds and starts Tovin
# make test  installs what is missing, builds and runs every test
# make fuzz  fuzzes tovin-cli's option reader with libFuzzer for FUZZ_SECONDS
# make fuzz-session  fuzzes the session file reader the same way
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
CTEST_EXCLUDE ?= soak
FUZZ_SECONDS ?= 300

.PHONY: all deps build run test soak fuzz fuzz-session clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/app/tovin

# Every test but the ten-minute soak (make soak runs that one).
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE '$(CTEST_EXCLUDE)'

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

clean:
	rm -rf $(BUILD)
