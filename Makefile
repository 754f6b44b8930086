# Two commands run everything: `make run` plays the game, `make test` runs every test.
# Both install what is missing first (scripts/setup) and build into build/.
BUILD ?= build
JOBS ?= 2

.PHONY: run test build setup preview screenshot

setup:
	@scripts/setup

build: setup
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

# The game loads its bitmaps from assets/ under the working directory, which is the build tree.
run: build
	cd $(BUILD) && ./rocket

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The contact sheet of all 49 images as a PNG, for a look at the art.
preview: build
	/usr/bin/python3 -c "from PIL import Image; Image.open('$(BUILD)/art-preview.bmp').save('$(BUILD)/art-preview.png')"
	@echo "$(BUILD)/art-preview.png"

# A screenshot of the game in flight for the README, taken by playing the real game under Xvfb.
screenshot: build
	/usr/bin/python3 tools/screenshot.py $(abspath $(BUILD))/rocket $(abspath $(BUILD)) docs/screenshot.png
