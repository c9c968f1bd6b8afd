# SPDX-License-Identifier: GPL-3.0-or-later
# The two commands a newcomer needs:
#   make run    installs what is missing, builds, and runs the program
#   make test   installs what is missing, builds, and runs every test
BUILD ?= build
ASAN_BUILD ?= build-asan
GENERATOR ?= Ninja
DATA ?= $(CURDIR)/DataLog
# Extra cache entries for the configure steps, e.g. CMAKE_FLAGS=-DTAVRIN_WERROR=ON (as CI does).
CMAKE_FLAGS ?=

.PHONY: all deps deps-fuzz deps-bench configure build run test sanitize tsan bench fuzz format format-check \
  package clean

all: build

# The installer runs once for each set of package groups (scripts/install-deps.sh lists them;
# "core+gui" is both), and again only when the script changes: a stamp file in .deps-installed/
# remembers each set installed, so that `make test` does not ask dpkg about every package each
# time. Delete the folder to have the packages checked again.
DEPS_STAMPS = .deps-installed
$(DEPS_STAMPS)/%: scripts/install-deps.sh
	bash scripts/install-deps.sh $(subst +, ,$*)
	@mkdir -p $(DEPS_STAMPS) && touch $@

deps: $(DEPS_STAMPS)/core+gui+package
deps-fuzz: $(DEPS_STAMPS)/core+fuzz
deps-bench: $(DEPS_STAMPS)/core+gui+bench

configure: deps
	cmake -S . -B $(BUILD) -G $(GENERATOR) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

run: build
	DATA="$(DATA)" bash scripts/run-demo.sh $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

# Unit tests once more with the address and undefined-behaviour sanitizers.
sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -G $(GENERATOR) -DTAVRIN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
	  $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2

# The threaded parts (receive queue, serial port and session) under the thread sanitizer: the
# tests labelled "threads" in tests/CMakeLists.txt.
tsan: deps
	cmake -S . -B build-tsan -G $(GENERATOR) -DTAVRIN_TSAN=ON -DTAVRIN_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-tsan --target thread_tests
	ctest --test-dir build-tsan -L threads --no-tests=error --output-on-failure -j2

# The Debian package, from a release build: build-package/package/tavrin-lite_<version>_<arch>.deb
package: deps
	cmake -S . -B build-package -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
	  -DTAVRIN_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-package
	cd build-package && cpack

bench: build deps-bench
	$(BUILD)/bench/store_bench
	$(BUILD)/bench/session_bench
	$(BUILD)/bench/map_bench
	$(BUILD)/bench/download_bench
	$(BUILD)/bench/gui_bench
	bench/export_bench.sh $(BUILD)
	bench/geotag_bench.sh $(BUILD)
	bench/import_bench.sh $(BUILD)
	$(BUILD)/bench/history_bench
	bench/history_viking.sh $(BUILD)

# Each fuzzer for a minute (FUZZ_SECONDS) on its own corpus folder, starting from the inputs kept
# in fuzz/corpus/<fuzzer>/ (inputs that once found a fault, and the photos the geotagging tests
# make for photo_reader_fuzz), which are run first.
FUZZ_SECONDS ?= 60
FUZZERS = track_file_fuzz settings_fuzz reader_fuzz session_answers_fuzz emulator_commands_fuzz \
  photo_reader_fuzz photo_writer_fuzz gpx_import_fuzz kml_import_fuzz nmea_import_fuzz
fuzz: deps-fuzz
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G $(GENERATOR) -DTAVRIN_FUZZ=ON -DBUILD_TESTING=OFF -DTAVRIN_BENCH=OFF
	cmake --build build-fuzz
	for f in $(FUZZERS); do mkdir -p build-fuzz/corpus/$$f; \
	  kept=$$(test -d fuzz/corpus/$$f && echo fuzz/corpus/$$f); \
	  build-fuzz/fuzz/$$f -max_total_time=$(FUZZ_SECONDS) build-fuzz/corpus/$$f $$kept || exit 1; done

format: $(DEPS_STAMPS)/core
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails, naming each file and line, when a C++ file is not as `make format` would leave it.
format-check: $(DEPS_STAMPS)/core
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz build-tsan
