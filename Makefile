# The two commands a newcomer runs: `make run` builds and starts the program,
# `make test` builds everything and runs every test. Both install what is missing.
.PHONY: run test deps bench clean

run:
	bash scripts/run.sh

test:
	bash scripts/test.sh

deps:
	bash scripts/deps.sh

bench:
	bash scripts/bench.sh

clean:
	rm -rf build
