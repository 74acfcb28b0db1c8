# Velkaro: make run | make test | make bench     (a fresh Debian 12 machine, as root)
SHELL := /bin/bash
ROOT := $(abspath $(dir $(lastword $(MAKEFILE_LIST))))
BUILD := $(ROOT)/build
JOBS ?= $(shell nproc)

.PHONY: all setup native win run test bench fuzz dist clean

all: native win

setup:
	@bash $(ROOT)/scripts/setup.sh

native: setup
	cmake -S $(ROOT) -B $(BUILD)/native -G Ninja
	ninja -C $(BUILD)/native -j$(JOBS)

win: setup
	cmake -S $(ROOT) -B $(BUILD)/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-i686.cmake
	ninja -C $(BUILD)/win -j$(JOBS) velkaro

# Starts velkaro.exe under Wine from the build folder (history.txt and price.txt land there).
# Without a display it runs on a new Xvfb, and tells how to look at it.
run: win
	@bash $(ROOT)/scripts/run.sh

test:
	@bash $(ROOT)/scripts/test.sh

# Native benchmarks (Google Benchmark), then the idle cost of velkaro.exe under Wine
# (bench/idle/run.sh); they print their figures.
bench: setup
	cmake -S $(ROOT) -B $(BUILD)/native -G Ninja
	ninja -C $(BUILD)/native -j$(JOBS)
	@if [ -x $(BUILD)/native/velkaro_bench ]; then $(BUILD)/native/velkaro_bench; \
	else echo "no benchmarks in bench/"; fi
	cmake -S $(ROOT) -B $(BUILD)/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-i686.cmake
	ninja -C $(BUILD)/win -j$(JOBS) velkaro e2e_driver idle_floor idle_startwatch
	@bash $(ROOT)/bench/idle/run.sh $(BUILD)/win/velkaro.exe

# The fuzz targets for longer: make fuzz FUZZ_SECONDS=300 (each a ctest test of build/fuzz;
# new inputs go to build/fuzz/corpus/, crashing ones to build/fuzz/artifacts/)
FUZZ_SECONDS ?= 60
fuzz: setup
	cmake -S $(ROOT) -B $(BUILD)/fuzz -G Ninja -DVELKARO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DCMAKE_CXX_COMPILER=clang++ -DVELKARO_FUZZ_SECONDS=$(FUZZ_SECONDS)
	ninja -C $(BUILD)/fuzz -j$(JOBS)
	ctest --test-dir $(BUILD)/fuzz --output-on-failure --parallel $(JOBS)

# For users, in dist/: the zip velkaro-1.4.zip with velkaro.exe, help.mht and the short readmes
# (Russian in Windows-1251, English in UTF-8), all in one folder velkaro-1.4; and the installer
# VelkaroSetup-1.4.exe (NSIS, res/setup.nsi). The version is the project's, in CMakeLists.txt.
VERSION := $(shell grep -o 'Velkaro VERSION [0-9.]*' $(ROOT)/CMakeLists.txt | cut -d' ' -f3)
DIST_NAME := velkaro-$(VERSION)
SETUP_NAME := VelkaroSetup-$(VERSION).exe
dist: win
	ninja -C $(BUILD)/win -j$(JOBS) velkaro_setup
	rm -rf $(BUILD)/dist-stage
	mkdir -p $(BUILD)/dist-stage/$(DIST_NAME) $(ROOT)/dist
	cp $(BUILD)/win/velkaro.exe $(BUILD)/win/help.mht $(ROOT)/res/dist/README.ru.txt \
	   $(ROOT)/res/dist/README.en.txt $(BUILD)/dist-stage/$(DIST_NAME)/
	i686-w64-mingw32-strip $(BUILD)/dist-stage/$(DIST_NAME)/velkaro.exe
	rm -f $(ROOT)/dist/$(DIST_NAME).zip
	cd $(BUILD)/dist-stage && zip -q -X -r $(ROOT)/dist/$(DIST_NAME).zip $(DIST_NAME)
	@zip -sf $(ROOT)/dist/$(DIST_NAME).zip
	cp $(BUILD)/win/$(SETUP_NAME) $(ROOT)/dist/
	@ls -l $(ROOT)/dist/$(SETUP_NAME)

clean:
	rm -rf $(BUILD)
