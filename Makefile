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

.PHONY: all deps build programs run test test-devices test-asan fuzz fuzz-run bench bench-build \
        install uninstall package ansible-collection clean

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
	./tests/devices/lab.sh $(BUILD)/bin --if-possible

# The device lab: korva against real drivers in a QEMU guest (README).
# The lab also runs the connection dialog's USB search from test_app.
test-devices: deps programs
	cmake --build $(BUILD) -j $(JOBS) --target test_app
	./tests/devices/lab.sh $(BUILD)/bin

# Every process of the run (tests, the programs they start, and theirs) writes
# its sanitizer reports to a file of its own under SAN_LOGS; any report (an
# error, undefined behaviour or a leak) fails the run, even one from a process
# whose test passed. The options are scripts/sanitizer-env.sh's; the test
# sanitizer_check proves that a planted report of each kind fails the check.
SAN_LOGS = $(abspath $(BUILD_ASAN))/sanitizer-reports
test-asan: deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DKORVA_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	rm -rf $(SAN_LOGS) && mkdir -p $(SAN_LOGS)
	cd $(BUILD_ASAN) && status=0; eval "$$($(CURDIR)/scripts/sanitizer-env.sh $(SAN_LOGS))"; \
	  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 900 || status=1; \
	  $(CURDIR)/scripts/sanitizer-reports.sh $(SAN_LOGS) || status=1; exit $$status

fuzz: deps
	CXX=clang++ CC=clang cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVA_LIBFUZZER=ON
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target korva_fuzzers

# Every fuzz target for FUZZ_SECONDS from its seeds; fails on any crash.
FUZZ_SECONDS ?= 60
fuzz-run: fuzz
	./scripts/fuzz-run.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

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

# The Ansible collection korva.printers as a tarball for ansible-galaxy, in $(BUILD)/.
ANSIBLE_COLLECTION := ansible/ansible_collections/korva/printers
ansible-collection: deps
	ansible-galaxy collection build $(ANSIBLE_COLLECTION) --output-path $(BUILD) --force

bench: deps build
	./bench/run-all.sh $(BUILD)/bin

# How long a build from scratch takes (no ccache), programs first, then what
# the tests need; prints the figures.
bench-build: deps
	./bench/build-time.sh $(JOBS) $(PROGRAMS)

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_DEB)
