# Top-level driver. `make`, `make run` and `make test` install what they need
# first; `make install` and `make uninstall` only copy and remove files, so
# they can run as root after a build done as the user.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
BUILD_DEB  ?= build-deb
JOBS       ?= $(shell nproc)
CMAKE_GEN  := $(shell command -v ninja >/dev/null 2>&1 && echo -G Ninja)
PREFIX     ?= /usr/local
DESTDIR    ?=
# The programs `make run` starts and `make install` installs.
PROGRAMS   := korvatool korva korva-sim

.PHONY: all deps build programs run test test-asan fuzz bench bench-build install uninstall \
        package clean

all: deps build

deps:
	@./scripts/deps.sh

$(BUILD)/build.ninja $(BUILD)/Makefile:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The stamp tells `make install` when the last build succeeded.
build: $(BUILD)/$(if $(CMAKE_GEN),build.ninja,Makefile)
	cmake --build $(BUILD) -j $(JOBS)
	@touch $(BUILD)/.korva-built

programs: $(BUILD)/$(if $(CMAKE_GEN),build.ninja,Makefile)
	cmake --build $(BUILD) -j $(JOBS) --target $(PROGRAMS)

run: deps programs
	./scripts/run-demo.sh $(BUILD)/bin

test: deps build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600

test-asan: deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DKORVA_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS) --timeout 900

fuzz: deps
	CXX=clang++ CC=clang cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVA_LIBFUZZER=ON
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target korva_fuzzers

# Installs what `make` built under PREFIX (staged below DESTDIR when given),
# never building: run `make` as yourself first, then `sudo make install`.
install:
	./scripts/install.sh "$(BUILD)" "$(PREFIX)" $(PROGRAMS)

# Removes what the last `make install` put there, by its manifest.
uninstall:
	./scripts/uninstall.sh "$(BUILD)"

# The Debian package, in $(BUILD_DEB)/: the programs built with Debian's
# hardening flags in a build directory of their own.
package: deps
	./scripts/build-deb.sh "$(BUILD_DEB)" $(JOBS) $(PROGRAMS)

bench: deps build
	./bench/run-all.sh $(BUILD)/bin

# How long a build from scratch takes (no ccache), programs first, then what
# the tests need; prints the figures.
bench-build: deps
	./bench/build-time.sh $(JOBS) $(PROGRAMS)

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_DEB)
