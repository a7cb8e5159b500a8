# make run  - builds everything and starts the program
# make test - builds everything and runs every test under Wine and Xvfb
.PHONY: all setup build test run clean

BUILD ?= build
JOBS ?= $(shell nproc)

all: build

setup:
	@bash tools/setup.sh

build: setup
	@bash tools/build.sh $(BUILD) $(JOBS)

test: build
	@bash tools/run-tests.sh $(BUILD) $(JOBS)

run: build
	@bash tools/run.sh $(BUILD)

clean:
	rm -rf $(BUILD)
