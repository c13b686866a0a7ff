# make run   installs what is missing, builds and starts Tovin
# make test  installs what is missing, builds and runs every test
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
CTEST_EXCLUDE ?= soak

.PHONY: all deps build run test soak clean

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

clean:
	rm -rf $(BUILD)
