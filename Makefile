# Thin wrapper over CMake + Ninja. Every target installs what the build needs first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

.PHONY: all deps build test test-asan run bench samples clean format package

all: build

deps:
	@bash scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# lanterna_<version>_<arch>.deb in $(BUILD)/
package: build
	cmake --build $(BUILD) --target package

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLANTERNA_SANITIZE=ON

# The comparison of DXF slides with ezdxf's drawings measures pictures, not memory: it runs in
# make test only.
test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS) -E '^dxf_ezdxf_comparison$$'

samples: build
	$(BUILD)/make-samples samples

run: build
	@bash scripts/run-demo $(BUILD)

bench: build
	@bash scripts/install-deps --bench
	@bash scripts/bench $(BUILD)
	@bash bench/compare $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WEB_BUILD)

# ---- The web site (emscripten) -------------------------------------------------------------
# make web builds $(WEB_BUILD)/site; make test checks it too whenever emscripten is installed
# (scripts/install-deps --web installs it, and what its browser test needs).
WEB_BUILD ?= build-web
WEB_PORT  ?= 8016
# Debian's emcc runs its JavaScript tools with node modules from there.
WEB_ENV   := NODE_PATH=/usr/share/nodejs$${NODE_PATH:+:$$NODE_PATH}
.PHONY: web web-serve web-bench

$(WEB_BUILD)/build.ninja:
	@bash scripts/install-deps --web
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

web: $(WEB_BUILD)/build.ninja
	@bash scripts/install-deps --web
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)

web-serve: web
	@echo "Lanterna on the web: http://127.0.0.1:$(WEB_PORT)/  (Ctrl+C stops)"
	@python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 -d $(WEB_BUILD)/site

web-bench: web build
	@node web/bench.js $(WEB_BUILD)/site $(BUILD)

test: $(if $(shell command -v emcc 2>/dev/null),web)

# Fuzzing: the libFuzzer targets of fuzz/ (a thorough and a fast one per reader), built with clang
# in their own build directory, each run for FUZZ_SECONDS one after another; fails on any finding
# (crash, leak, timeout, sanitizer).
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: fuzz
fuzz: deps
	@bash scripts/install-deps --fuzz
	@test -f $(FUZZ_BUILD)/build.ninja || cmake -S . -B $(FUZZ_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DLANTERNA_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@bash fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS)
