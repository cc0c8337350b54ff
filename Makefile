# The front door. `make test` is what CI runs.
#
#   make test            set up if needed, build all presets, run every test
#   make build           build all presets
#   make test-<preset>   build and test one preset (linux, linux-asan, win32, win64)
#   make bench           run the benchmarks (native build)
#   make setup           install what the build needs (root)
#   make format          apply the committed .clang-format to every C and C++ file

PRESETS := linux linux-asan win32 win64
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: test build bench setup clean format $(addprefix test-,$(PRESETS)) $(addprefix build-,$(PRESETS))

test: $(addprefix test-,$(PRESETS))

build: $(addprefix build-,$(PRESETS))

# Runs scripts/setup only when something it provides is missing.
setup:
	@scripts/setup --check || $(SUDO) scripts/setup

$(addprefix build-,$(PRESETS)): build-%: setup
	cmake --preset $*
	cmake --build --preset $*

$(addprefix test-,$(PRESETS)): test-%: build-%
	ctest --preset $*

bench: build-linux
	@for b in build/linux/bench/kolvane-*bench; do echo "== $$b"; $$b || exit 1; done

clean:
	rm -rf $(addprefix build/,$(PRESETS))

# Redraws the editor's artwork into resources/ (native build); commit the
# pictures it changes.
.PHONY: artwork
artwork: setup
	cmake --preset linux
	cmake --build --preset linux --target kolvane-artwork
	build/linux/tools/artwork/kolvane-artwork resources

# Synthesises a chord and renders it through three factory presets into
# out/demo/ (native build).
.PHONY: demo
demo: setup
	cmake --preset linux
	cmake --build --preset linux --target kolvane kolvane-render kolvane-chord kolvane-waveplot
	tools/render/demo build/linux out/demo

# Every tracked C and C++ file through the committed .clang-format.
format:
	git ls-files -z '*.c' '*.cpp' '*.h' | xargs -0 clang-format -i
