# Two commands run everything: `make run` plays the game, `make test` runs every test.
# Each target first installs what it needs and no more (scripts/setup with its groups), so a
# player's make run does not fetch the test rig. The native builds share build/: make run builds
# the game there, make check the tests and benchmarks beside it, from the same configuration.
BUILD ?= build
WEB ?= build-web
WINDOWS ?= build-windows
ARM64 ?= build-arm64
TARBALL ?= build-tarball
RELEASE ?= build-release
JOBS ?= 2
# The end-to-end tests run by hand here find their shared checks and the X session as CTest's do.
E2E_PYTHON = PYTHONPATH=$(CURDIR)/tests:$(CURDIR)/tools /usr/bin/python3

.PHONY: release reprotest run test check arm64 arm64-test debian13-test tarball tarball-test sanitize fuzz web-test web-figures windows windows-test \
  windows-figures bench figures versus-pygame build build-all setup preview screenshot masks \
  package web serve-web format

# Everything make test needs, in one go.
setup:
	@scripts/setup play check arm64 fuzz web browsers windows wine tarball roots

# One configuration for every native target: the tests and benchmarks join it once their
# libraries are installed, so nothing is configured back and forth. Each build's settings are
# a preset of CMakePresets.json, here given the Makefile's folder.
CONFIGURE = cmake --preset native -B $(BUILD) >/dev/null

# The game, its art, and what installing it takes (the gzipped manual page and changelog).
build:
	@scripts/setup play
	@$(CONFIGURE)
	@cmake --build $(BUILD) -j$(JOBS) --target rocket documents

# The game, the tests and the benchmarks.
build-all:
	@scripts/setup play check
	@$(CONFIGURE)
	@cmake --build $(BUILD) -j$(JOBS)

# The game finds its bitmaps in assets/ under the working directory, the build tree here.
run: build
	cd $(BUILD) && ./rocket

# A Debian package of the game in the build folder (cpack -G DEB there does the same).
package: build
	@scripts/setup package
	cd $(BUILD) && cpack -G DEB

# Every test: the normal suite, its test programs and the package for arm64 under qemu, the normal
# suite in a Debian 13 against sdl2-compat over SDL3 and against classic SDL2, the Linux tarball
# in bare Debian 12 and 13 systems, the same suite built with AddressSanitizer and UBSan, a
# bounded fuzzing run of the record reader, the game in a web page in Chromium, Firefox and
# WebKit, and the Windows build under Wine.
test: setup check arm64-test debian13-test tarball-test sanitize fuzz web-test windows-test

# Every download of a release, from the commit checked out: $(RELEASE)/release holds the .debs,
# the Linux tarball, the Windows zip, the site as a zip, the source tarball and SHA256SUMS. It
# stops on a tree with uncommitted changes unless DIRTY=1.
release:
	@scripts/setup play package arm64 web windows tarball
	@JOBS=$(JOBS) ROCKET_RELEASE_DIRTY=$(DIRTY) scripts/release $(RELEASE)

# make release twice under reprotest (another folder, time, umask, time zone, locale and home),
# every file compared; diffoscope's report of a difference stays in $(RELEASE)/reprotest/store.
# Not part of make test: two releases take longer than the rest of the tests together.
reprotest:
	@scripts/setup play package arm64 web windows tarball reprotest
	@JOBS=$(JOBS) scripts/reprotest $(RELEASE)

# The game for browsers: a static site in $(WEB)/site, from the same sources.
web: build
	@scripts/setup web
	@JOBS=$(JOBS) scripts/build-web $(WEB) $(BUILD)

# A quick look at the site on this machine.
serve-web: web
	@echo "serving http://127.0.0.1:8000/ (Ctrl-C stops)"
	cd $(WEB)/site && /usr/bin/python3 -m http.server 8000 --bind 127.0.0.1

# The web page's figures: bytes served, and the first frame beside a floor page's.
web-figures: build
	@scripts/setup web browsers
	@JOBS=$(JOBS) scripts/build-web $(WEB) $(BUILD) rocket_floor
	xvfb-run -a -s "-screen 0 2048x1200x24" node tools/web_figures.mjs $(WEB)

# The site played in the three browser engines (tests/web): Chromium headless, Firefox and WebKit
# on a display of their own (Xvfb); then its basics on pages without WebGL (Chromium with WebGL
# off, headless Firefox).
web-test: web
	@scripts/setup browsers
	xvfb-run -a -s "-screen 0 2048x1200x24" node tests/web/web_e2e.mjs $(WEB)/site $(BUILD)/assets

# The game for 64-bit Windows, cross-built with mingw-w64: $(WINDOWS)/rocket-<version>-windows-x64.zip.
windows: build
	@scripts/setup windows
	@JOBS=$(JOBS) scripts/build-windows $(WINDOWS) $(BUILD)

# The zip unpacked and played under Wine on Xvfb.
windows-test: windows build-all
	@scripts/setup wine
	$(E2E_PYTHON) tests/windows_e2e.py $(wildcard $(WINDOWS)/rocket-*-windows-x64.zip) \
	  $(abspath $(BUILD)) $(abspath $(BUILD))/tests/close_window $(abspath $(WINDOWS))

# The Windows build's figures under Wine, beside the native game's.
windows-figures: windows build-all
	@scripts/setup wine
	/usr/bin/python3 tools/windows_figures.py $(BUILD) $(WINDOWS)

# The game for 64-bit ARM Linux (a 64-bit Raspberry Pi OS, Debian on ARM), cross-built with
# Debian's toolchain against its arm64 SDL2, the art taken from the native build:
# $(ARM64)/rocket_<version>_arm64.deb, and the test programs for arm64.
arm64: build
	@scripts/setup arm64 package
	@JOBS=$(JOBS) scripts/build-arm64 $(ARM64) $(BUILD)

# The arm64 test programs under qemu-user through CTest, then the package checked and its
# program played under qemu on Xvfb beside the native game.
arm64-test: arm64 build-all
	cd $(ARM64) && ctest --output-on-failure --no-tests=error -j$(JOBS)
	$(E2E_PYTHON) tests/arm64_e2e.py $(wildcard $(ARM64)/rocket_*_arm64.deb) $(abspath $(BUILD))

# The normal suite in a Debian 13 of its own (scripts/debian-root, cached), built against
# sdl2-compat over SDL3, as most distributions now ship SDL2, then against classic SDL2.
DEBIAN13 = trixie play check wayland +libsdl2-compat-dev +git
debian13-test:
	@scripts/setup roots
	JOBS=$(JOBS) scripts/debian-root $(DEBIAN13) -- /rocket/tests/both-sdl2s

# The game for any 64-bit PC Linux, SDL2 and the C++ runtime linked in:
# $(TARBALL)/rocket-<version>-linux-x86_64.tar.gz (under this checkout, for the test's systems).
tarball: build
	@scripts/setup tarball
	@JOBS=$(JOBS) scripts/build-tarball $(TARBALL) $(BUILD)

# The tarball checked, then played in a bare Debian 12 and 13 (scripts/debian-root, cached) on
# Xvfb beside the native game, and on weston at 200% in the Debian 13 layer's system.
tarball-test: tarball build-all
	@scripts/setup roots
	$(E2E_PYTHON) tests/tarball_e2e.py $(wildcard $(TARBALL)/rocket-*-linux-x86_64.tar.gz) \
	  $(abspath $(BUILD)) $(DEBIAN13)

# The normal suite alone.
check: build-all
	cd $(BUILD) && ctest --output-on-failure --no-tests=error -j$(JOBS)

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@scripts/setup play check
	@cmake --preset sanitize -B $(BUILD)-asan >/dev/null
	@cmake --build $(BUILD)-asan -j$(JOBS)
	cd $(BUILD)-asan && ctest --output-on-failure -j$(JOBS)

# The record reader under libFuzzer (clang, with AddressSanitizer and UBSan) for FUZZ_SECONDS,
# starting from records the writer wrote.
FUZZ_SECONDS ?= 30
fuzz:
	@scripts/setup play fuzz
	@cmake --preset fuzz -B $(BUILD)-fuzz >/dev/null
	@cmake --build $(BUILD)-fuzz -j$(JOBS)
	@rm -rf $(BUILD)-fuzz/corpus && mkdir -p $(BUILD)-fuzz/corpus
	$(BUILD)-fuzz/record_seeds $(BUILD)-fuzz/corpus
	$(BUILD)-fuzz/record_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(BUILD)-fuzz/corpus

# The contact sheet of all 49 images as a PNG, for a look at the art.
preview: build
	@scripts/setup check
	/usr/bin/python3 -c "from PIL import Image; Image.open('$(BUILD)/art-preview.bmp').save('$(BUILD)/art-preview.png')"
	@echo "$(BUILD)/art-preview.png"

# A screenshot of the game in flight for the README, taken by playing the real game under Xvfb.
screenshot: build
	@scripts/setup check
	/usr/bin/python3 tools/screenshot.py $(abspath $(BUILD))/rocket $(abspath $(BUILD)) docs/screenshot.png

# Remakes the collision masks header from the current art; commit the result.
masks: build
	$(BUILD)/rocket_art --masks src/collision/masks.h

# The collision benchmarks, with medians of five repetitions.
bench: build-all
	$(BUILD)/bench/poke_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

# Every performance figure of the README: frame cost on both drawing paths against the floor, the
# collision scan, start-up time, peak memory and CPU at rest of the real game under Xvfb, the
# sound's cost and delay, then the collision scan beside pygame's.
figures: build-all
	/usr/bin/python3 tools/figures.py $(BUILD)
	/usr/bin/python3 tools/sound_figures.py $(BUILD)
	@$(MAKE) --no-print-directory versus-pygame

# The collision scan beside pygame's Mask.overlap on the same masks (pygame comes from Debian,
# installed for this benchmark only).
versus-pygame: build-all
	@scripts/setup pygame
	/usr/bin/python3 bench/versus_pygame.py $(BUILD)

# Formats every C++ file of the repository in the house style (.clang-format); the normal suite
# fails on a file that is not.
format:
	@scripts/setup check
	git ls-files -z '*.cpp' '*.h' '*.inc' | xargs -0 clang-format -i
