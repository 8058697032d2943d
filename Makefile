# Quick start: `make run` and `make check`. Both install what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
WIN_BUILD  ?= build-win
WIN32_BUILD ?= build-win32
JOBS       ?= 2
# The process tests mostly wait (on printers, timers, a scheduler): many run side by side.
TEST_JOBS  ?= 8
CMAKE_GEN  := -G Ninja
ARGS       ?=

.PHONY: all deps deps-test deps-windows uninstall build check test test-asan test-tsan fuzz package check-package install run bench screenshots \
  screenshots-windows format clean windows test-windows bench-windows check-layout check-drivers \
  check-fleet lint-fleet

all: build

# What each kind of work needs, and only that: building (and installing, packaging, running)
# never brings Wine, MinGW, clang or a CUPS scheduler.
deps:
	@bash scripts/install-deps.sh build

deps-test:
	@bash scripts/install-deps.sh test

deps-windows:
	@bash scripts/install-deps.sh windows

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j$(JOBS)

test: deps-test build
	ctest --test-dir $(BUILD) --output-on-failure -j$(TEST_JOBS) --timeout 300

# The sanitizer builds use clang: at -O0 with its sanitizers it compiles these sources in half
# the time GCC takes, and a second compiler's warnings are worth having.
SANITIZER_CXX := -DCMAKE_CXX_COMPILER=clang++

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) $(SANITIZER_CXX) -DCMAKE_BUILD_TYPE=Debug -DVRTQLX_SANITIZE=ON -DVRTQLX_BENCH=OFF

test-asan: deps-test $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(TEST_JOBS) --timeout 300

$(TSAN_BUILD)/build.ninja:
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) $(SANITIZER_CXX) -DCMAKE_BUILD_TYPE=Debug -DVRTQLX_TSAN=ON -DVRTQLX_BENCH=OFF -DVRTQLX_GUI=OFF

# The port layer runs threads of its own; its tests (and only they, so only their program is
# built) also run under ThreadSanitizer.
test-tsan: deps-test $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j$(JOBS) --target test_ports
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir $(TSAN_BUILD) --output-on-failure -L ports -j$(TEST_JOBS) --timeout 300

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 20

# The HEX conversion reads text from anywhere; a coverage-guided fuzzer hammers it for a
# bounded time on every check.
fuzz: deps-test
	mkdir -p $(FUZZ_BUILD)/hex_corpus
	clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -Isrc \
	  fuzz/hex_image_fuzz.cpp src/download/hex_image.cpp -o $(FUZZ_BUILD)/hex_image_fuzz
	$(FUZZ_BUILD)/hex_image_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  $(FUZZ_BUILD)/hex_corpus fuzz/hex_corpus > $(FUZZ_BUILD)/fuzz.log 2>&1 \
	  || { tail -n 40 $(FUZZ_BUILD)/fuzz.log; exit 1; }
	@tail -n 1 $(FUZZ_BUILD)/fuzz.log

# The two Debian packages, vrtqlx and vrtqlx-gui, into $(BUILD)/.
package: build
	cmake --build $(BUILD) --target debs

# The program's package holds the program and its man page and needs no GUI library.
check-package: deps-test package
	@bash scripts/check-packages.sh $(BUILD)
	@bash scripts/check-installed.sh $(BUILD)

PREFIX ?= /usr/local

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Takes away what the last `make install` from this build tree put in place.
uninstall:
	@bash scripts/uninstall.sh $(BUILD)/install_manifest.txt

# The Windows program, cross-built with MinGW-w64: build-win/vrtqlx.exe (64-bit) and
# build-win32/vrtqlx.exe (32-bit), their tests, and the installer holding both,
# build-win/vrtqlx-<version>-setup.exe. Then, for each program, its unit tests under Wine in
# a throwaway prefix (wine64; Wine's 32-bit side for the 32-bit one) and the program itself
# against the Linux printer simulator; the operator's windows under Wine on a virtual X
# server; the installer's round trip. Each stage runs what this machine can run and says
# NOT RUN, with the reason, for what it cannot (scripts/windows-stage.sh).
WINDOWS_BUILD_STAGES := windows-build-64 windows-build-32 windows-installer
WINDOWS_TEST_STAGES := windows-unit-64 windows-unit-32 windows-smoke-64 windows-smoke-32 \
  windows-gui windows-installer-check
WINDOWS_STAGES := $(WINDOWS_BUILD_STAGES) $(WINDOWS_TEST_STAGES)
.PHONY: $(WINDOWS_STAGES)

$(WINDOWS_STAGES): deps-windows
	@bash scripts/windows-stage.sh $(@:windows-%=%) $(BUILD) $(WIN_BUILD) $(WIN32_BUILD) $(JOBS)

windows-smoke-64 windows-smoke-32 windows-gui windows-installer-check: build

windows:
	@DEPS_GROUP=windows bash scripts/check.sh $(WINDOWS_BUILD_STAGES)

# In the order make check runs them ("+": side by side, see CHECK_STAGES).
WINDOWS_CHECK := windows-build-64 windows-build-32+windows-smoke-64 windows-installer \
  windows-unit-64+windows-gui windows-unit-32+windows-smoke-32 windows-installer-check

test-windows:
	@DEPS_GROUP=windows bash scripts/check.sh $(WINDOWS_CHECK)

# The Ansible role of packaging/ansible/ rolls the package and firmware out to stations on
# this machine: preview, rollout, reruns, a stopped wave, refusals, discovery; ansible-lint
# beside it (root; installs the package and purges it again).
check-fleet: deps-test package
	@bash scripts/check-fleet.sh $(BUILD)

# ansible-lint on the fleet role alone (check-fleet runs it too).
lint-fleet: deps-test
	@bash scripts/lint-fleet.sh

# The shared services stay free of any one system's headers.
check-layout:
	@bash scripts/check-layout.sh

# The program against the real Linux drivers (usblp, cdc_acm, lp, the 8250 UART) in a QEMU
# guest on Debian's kernel, printers played by USB gadgets; DRIVERS_BENCH=1 measures the
# download speed there instead of running the cases.
check-drivers: deps-test $(BUILD)/build.ninja
	cmake --build $(BUILD) -j$(JOBS) --target vrtqlx qlx-printer-sim qlx-port-write
	@bash scripts/drivers-guest/run.sh $(BUILD) $(if $(DRIVERS_BENCH),--bench)

# Every stage to its end, then one table of what passed, failed or could not run here, and
# the time each took. STRICT=1 fails the check for a stage that could not run. Stages joined
# by "+" run side by side: one that mostly waits (on printers, Wine, Ansible's stations)
# beside one that computes, or two that each keep one core busy (the QEMU guest, the
# fuzzer). Never two that install the package, nor two that build one tree.
CHECK_STAGES := check-layout test test-asan+check-fleet test-tsan+check-package check-drivers+fuzz \
  $(WINDOWS_CHECK)

check:
	@bash scripts/check.sh $(CHECK_STAGES)

# Only the program and the simulator: a first `make run` need not wait for the tests.
run: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j$(JOBS) --target vrtqlx qlx-printer-sim
	@bash scripts/run-demo.sh $(ARGS)

bench: build
	@bash scripts/run-benchmarks.sh $(BUILD)

bench-windows: windows-build-64 build
	@bash scripts/run-wine-benchmarks.sh $(WIN_BUILD) $(BUILD)/qlx-printer-sim

screenshots: build
	@BUILD=$(BUILD) bash scripts/make-screenshots.sh

# The same five windows from the Windows program under Wine, into docs/windows/.
screenshots-windows: windows-build-64
	@WIN_BUILD=$(WIN_BUILD) bash scripts/make-screenshots-windows.sh

format:
	find src tests tools bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(WIN_BUILD) $(WIN32_BUILD)
