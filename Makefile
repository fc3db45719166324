# A thin wrapper over the CMake presets (CMakePresets.json): every target first makes sure the
# Debian packages the build needs are installed, then hands over to CMake. make demo and make
# test also work with a CMake too old for the presets (tools/ci-preset.sh).

# What building the tool and running it needs, all that `make demo` asks for; and everything
# `make test` needs besides: the tests' tools (GoogleTest, clang-format for the format check, file
# for CPack's dpkg-shlibdeps, lintian for the package check, meson and pkg-config for the Meson
# recipe, the file systems and ACL tools the writer's rows mount and set) and man to read the page.
# The Qt that is installed, Qt 6 where both are; where neither is, Qt 6 (Qt 5 on Debian 11, which
# has no Qt 6).
installed = $(shell dpkg-query -W -f='$${Status}' $(1) 2>/dev/null | grep -q ' installed$$' && echo $(1))
QT_PACKAGE := $(or $(call installed,qt6-base-dev),$(call installed,qtbase5-dev),\
                $(shell . /etc/os-release 2>/dev/null; \
                  [ "$$VERSION_CODENAME" = bullseye ] && echo qtbase5-dev || echo qt6-base-dev))
BUILD_PACKAGES := cmake ninja-build make g++ $(QT_PACKAGE)
PACKAGES := $(BUILD_PACKAGES) libgtest-dev dpkg-dev file clang-format lintian groff-base man-db \
            meson pkg-config acl e2fsprogs xfsprogs btrfs-progs bindfs
DEMO_DIR := build/demo
TOOL := $(DEMO_DIR)/tool/app/quorlModuleParser

.PHONY: all deps build demo test test-clang test-asan fuzz bench bench-check clean

all: build

deps:
	@tools/ensure-packages.sh $(PACKAGES)
	@echo "building with Qt from $(QT_PACKAGE)"

build: deps
	tools/ci-preset.sh configure
	tools/ci-preset.sh build

# The tool's main job on the bundled example module: the class-registration source, and the
# rendering of its tags. Only the tool is built, in a folder of its own without the tests.
demo:
	@tools/ensure-packages.sh $(BUILD_PACKAGES)
	@echo "building with Qt from $(QT_PACKAGE)"
	cmake -S . -B $(DEMO_DIR)/tool -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
	    -DQUORL_INSTALL=OFF
	cmake --build $(DEMO_DIR)/tool --target quorlModuleParser
	$(TOOL) -createTagsInfo examples/geometry/geometry.tags $(DEMO_DIR)/geometry_tags.txt
	@echo "---- $(DEMO_DIR)/geometry_tags.txt"
	@cat $(DEMO_DIR)/geometry_tags.txt
	$(TOOL) -createClassReg examples/geometry/geometry.tags $(DEMO_DIR)/geometry_reg.cpp
	@echo "---- $(DEMO_DIR)/geometry_reg.cpp"
	@cat $(DEMO_DIR)/geometry_reg.cpp

test: deps
	tools/ci-preset.sh workflow

# The same suite built with clang instead of g++.
test-clang: deps
	@tools/ensure-packages.sh clang
	cmake --workflow --preset clang

test-asan: deps
	cmake --workflow --preset asan

clean:
	rm -rf build

# Runs each libFuzzer target for FUZZ_SECONDS on its checked-in corpus; new inputs go to
# build/fuzz-corpus, and a crash leaves its input in build/fuzz-artifacts and fails.
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 30
FUZZERS := tag_parser class_entry class_registration

fuzz: deps
	@tools/ensure-packages.sh $(FUZZ_PACKAGES)
	cmake --preset fuzz
	cmake --build --preset fuzz
	@mkdir -p build/fuzz-artifacts
	@for f in $(FUZZERS); do \
	    mkdir -p build/fuzz-corpus/$$f; \
	    echo "fuzzing $$f for $(FUZZ_SECONDS) s"; \
	    build/fuzz/fuzz/$${f}_fuzzer -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	        -rss_limit_mb=4096 -max_len=65536 -print_final_stats=1 \
	        -artifact_prefix=build/fuzz-artifacts/$$f- \
	        build/fuzz-corpus/$$f fuzz/corpus/$$f || exit 1; \
	done

# The benchmarks have a build of their own (the bench preset); bench/README.md explains them.
bench: deps
	bench/run.sh

# Builds the benchmarks and checks that they run and that the yardstick writes the tool's bytes.
bench-check: deps
	cmake --workflow --preset bench
