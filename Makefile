# A thin wrapper over the CMake presets (CMakePresets.json): every target first makes sure the
# Debian packages the build needs are installed, then hands over to CMake.

PACKAGES := cmake ninja-build make g++ qt6-base-dev libgtest-dev libbenchmark-dev dpkg-dev groff-base man-db
TOOL := build/ci/app/quorlModuleParser
DEMO_DIR := build/demo

.PHONY: all deps build demo test test-asan clean

all: build

deps:
	@tools/ensure-packages.sh $(PACKAGES)

build: deps
	cmake --preset ci
	cmake --build --preset ci

# The tool's main job on the bundled example module: the class-registration source, and the
# rendering of its tags.
demo: build
	@mkdir -p $(DEMO_DIR)
	$(TOOL) -createTagsInfo examples/geometry/geometry.tags $(DEMO_DIR)/geometry_tags.txt
	@echo "---- $(DEMO_DIR)/geometry_tags.txt"
	@cat $(DEMO_DIR)/geometry_tags.txt
	$(TOOL) -createClassReg examples/geometry/geometry.tags $(DEMO_DIR)/geometry_reg.cpp
	@echo "---- $(DEMO_DIR)/geometry_reg.cpp"
	@cat $(DEMO_DIR)/geometry_reg.cpp

test: deps
	cmake --workflow --preset ci

test-asan: deps
	cmake --workflow --preset asan

clean:
	rm -rf build
