# make        builds build/deskwreck with its wave files beside it
# make run    installs what is missing, builds and starts the game
# make test   installs what is missing, builds and runs every test
# make test-desktops   installs what is missing, builds and runs the game in real GNOME and KDE
#                      Plasma sessions, each in a Debian 12 chroot made once and cached (needs root)
# make fuzz   builds the fuzz targets with clang in build-fuzz and runs each for FUZZ_SECONDS
# make install   installs the game for the current user (PREFIX, ~/.local by default)
# make package   builds build/deskwreck_<version>_<arch>.deb, an install for every user under /usr
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
CONFIGURE_ARGS = -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

.PHONY: all deps test-deps configure run test test-desktops fuzz resources bench install uninstall \
	package screenshots clean

all: deps configure
	cmake --build $(BUILD)

deps:
	@tools/install-deps.sh

test-deps:
	@tools/install-deps.sh test

# Configures again when the build type or flags differ from the last time (from a fresh cache, so
# that a flag left out is gone too), and when packages were installed or removed since: what the
# tests need, installed after a first plain build, is then found and built.
configure:
	@stamp=$(BUILD)/configured-with; \
	if [ ! -f $(BUILD)/build.ninja ] || [ "$$(cat $$stamp 2>/dev/null)" != '$(CONFIGURE_ARGS)' ]; then \
		cmake --fresh -S . -B $(BUILD) $(CONFIGURE_ARGS) && echo '$(CONFIGURE_ARGS)' >$$stamp; \
	elif [ /var/lib/dpkg/status -nt $$stamp ]; then \
		cmake -S . -B $(BUILD) && touch $$stamp; \
	fi

run: all
	./$(BUILD)/deskwreck

test: test-deps all
	ctest --test-dir $(BUILD) --output-on-failure $(CTEST_FLAGS)

test-desktops: test-deps all
	$(if $(filter 0,$(shell id -u)),,sudo) env BUILD_DIR=$(abspath $(BUILD)) SOURCE_DIR=$(CURDIR) \
		bash tests/desktops/run.sh

resources: all
	cmake --build $(BUILD) --target make_resources
	./$(BUILD)/tools/make_resources resources $(BUILD)/contact-sheet.png

FUZZ_SECONDS ?= 600

fuzz:
	@tools/install-deps.sh fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) nice bash tests/fuzz/run.sh build-fuzz

PREFIX ?= $(HOME)/.local

install: all
	cmake --install $(BUILD) --prefix "$(PREFIX)"

# Removes what the last install put in place; settings files the game wrote stay in the
# program folder, which is then kept.
uninstall:
	@[ -f $(BUILD)/install_manifest.txt ] || { echo "nothing installed from $(BUILD)"; exit 1; }
	xargs -d '\n' rm -f -- <$(BUILD)/install_manifest.txt
	-rmdir --ignore-fail-on-non-empty "$$(sed -n 's|/lib/deskwreck/deskwreck$$|/lib/deskwreck|p' $(BUILD)/install_manifest.txt)"

package: all
	@tools/install-deps.sh package
	cmake --build $(BUILD) --target package

screenshots: test-deps all
	tools/screenshots.sh $(BUILD)

# make bench   installs what is missing, builds and prints the benchmark table (BENCH_SHORT=1: brief)
bench:
	@tools/install-deps.sh bench
	@$(MAKE) --no-print-directory configure >/dev/null
	cmake --build $(BUILD)
	BUILD_DIR=$(abspath $(BUILD)) SOURCE_DIR=$(CURDIR) bash bench/run_bench.sh

clean:
	rm -rf $(BUILD)

# Installing and configuring come before building, in the order the prerequisites are listed.
.NOTPARALLEL:
