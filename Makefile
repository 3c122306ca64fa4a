# make        builds build/deskwreck with its wave files beside it
# make run    installs what is missing, builds and starts the game
# make test   installs what is missing, builds and runs every test
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=

.PHONY: all deps test-deps configure run test resources bench install clean

all: deps configure
	cmake --build $(BUILD)

deps:
	@tools/install-deps.sh

test-deps:
	@tools/install-deps.sh test

configure:
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

run: all
	./$(BUILD)/deskwreck

test: test-deps all
	ctest --test-dir $(BUILD) --output-on-failure $(CTEST_FLAGS)

resources: all
	cmake --build $(BUILD) --target make_resources
	./$(BUILD)/tools/make_resources resources $(BUILD)/contact-sheet.png

clean:
	rm -rf $(BUILD)
