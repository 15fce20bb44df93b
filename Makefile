# Top-level driver: every target installs what it needs first.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_GEN  := $(shell command -v ninja >/dev/null 2>&1 && echo -G Ninja)
PREFIX     ?= /usr/local
DESTDIR    ?=

.PHONY: all deps build run test test-devices test-asan fuzz bench install package clean

all: build

deps:
	@./scripts/deps.sh

$(BUILD)/build.ninja $(BUILD)/Makefile:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: $(BUILD)/$(if $(CMAKE_GEN),build.ninja,Makefile)
	cmake --build $(BUILD) -j $(JOBS)

run: deps build
	./scripts/run-demo.sh $(BUILD)/bin

test: deps build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600
	./tests/devices/lab.sh $(BUILD)/bin --if-possible

# The device lab: korva against real drivers in a QEMU guest (README).
test-devices: deps build
	./tests/devices/lab.sh $(BUILD)/bin

test-asan: deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DKORVA_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS) --timeout 900

fuzz: deps
	CXX=clang++ CC=clang cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVA_LIBFUZZER=ON
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target korva_fuzzers

# Installs under PREFIX (staged below DESTDIR when given).
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package, in $(BUILD)/.
package: deps build
	cd $(BUILD) && cpack -G DEB

bench: deps build
	./bench/run-all.sh $(BUILD)/bin

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)
