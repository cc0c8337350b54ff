# The front door. `make test` is what CI runs.
#
#   make test            set up if needed, build all presets, run every test,
#                        and each fuzz target for a few seconds
#   make build           build all presets
#   make test-<preset>   build and test one preset (linux, linux-asan, win32, win64)
#   make fuzz            each fuzz target for FUZZ_SECONDS (default 60)
#   make dist            the stripped release binaries, the LV2 bundle, checksums
#                        and notes in dist/
#   make validate        the validator's full list on the three binaries in dist/
#   make bench           run the benchmarks (native build)
#   make setup           install what the build needs (root)
#   make format          apply the committed .clang-format to every C and C++ file

PRESETS := linux linux-asan win32 win64
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: test build bench setup clean format $(addprefix test-,$(PRESETS)) $(addprefix build-,$(PRESETS))

test: $(addprefix test-,$(PRESETS)) test-fuzz

build: $(addprefix build-,$(PRESETS))

# Runs scripts/setup only when something it provides is missing.
setup:
	@scripts/setup --check || $(SUDO) scripts/setup

$(addprefix build-,$(PRESETS)): build-%: setup
	cmake --preset $*
	cmake --build --preset $*

# The Windows presets first say how their programs run on this machine
# (natively loaded Wine, a runner, or not at all: cmake/wine-run).
$(addprefix test-,$(PRESETS)): test-%: build-%
	@case $* in win*) cmake/wine-run --which $* ;; esac
	ctest --preset $*

# The fuzz targets (clang, sanitizers, libFuzzer): a few seconds each in
# `make test`, so that a regression shows; FUZZ_SECONDS each in `make fuzz`.
# New inputs collect in build/fuzz/fuzz/fuzz-corpus, crashes in
# build/fuzz/fuzz/fuzz-artifacts.
FUZZ_SECONDS ?= 60
.PHONY: build-fuzz test-fuzz fuzz
build-fuzz: setup
	cmake --preset fuzz
	cmake --build --preset fuzz

test-fuzz: build-fuzz
	FUZZ_SECONDS=5 ctest --preset fuzz

fuzz: build-fuzz
	@for f in build/fuzz/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; \
	  FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run-target "$$f" "fuzz/corpus/$${f##*/fuzz_}" build/fuzz/fuzz || exit 1; \
	done

# The release: the plug-in of each binary preset, stripped, and the LV2
# bundle, with checksums and install notes (scripts/dist). The validator's
# host is built alongside.
DIST_PRESETS := linux win32 win64
DIST_TARGETS_linux := kolvane_lv2_bundle
.PHONY: dist validate $(addprefix dist-build-,$(DIST_PRESETS))
$(addprefix dist-build-,$(DIST_PRESETS)): dist-build-%: setup
	cmake --preset $*
	cmake --build --preset $* --target kolvane kolvane-host $(DIST_TARGETS_$*)

dist: $(addprefix dist-build-,$(DIST_PRESETS))
	scripts/dist

# The validator's full list (level 5) on exactly the binaries in dist/,
# each by the host of its own kind; every binary is validated before the
# result is given.
# A machine that cannot run a Windows binary at all (cmake/wine-run exits
# with 77) skips it and says so; one whose kernel cannot start 32-bit
# programs runs the 32-bit one through KOLVANE_WINE32_RUNNER where that is set.
validate: dist
	@status=0; \
	build/linux/tools/vsthost/kolvane-host validate --level 5 dist/linux/Kolvane.so || status=1; \
	for arch in win32 win64; do \
	  rc=0; \
	  cmake/wine-run build/$$arch/wineprefix $$arch build/$$arch/tools/vsthost/kolvane-host.exe \
	    validate --level 5 dist/$$arch/Kolvane.dll || rc=$$?; \
	  if [ $$rc -eq 77 ]; then echo "validate: dist/$$arch/Kolvane.dll skipped"; \
	  elif [ $$rc -ne 0 ]; then status=1; fi; \
	done; \
	exit $$status

bench: build-linux
	@for b in build/linux/bench/kolvane-*bench; do echo "== $$b"; $$b || exit 1; done

clean:
	rm -rf $(addprefix build/,$(PRESETS) fuzz) dist

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
