# The two commands a newcomer runs: `make run` builds and starts the program,
# `make test` builds everything and runs every test. Both install what is missing.
.PHONY: run test deps bench dist clean

run:
	bash scripts/run.sh

test:
	bash scripts/test.sh

deps:
	bash scripts/deps.sh

bench:
	bash scripts/bench.sh

# build/dist/Loomhouse-<version>.zip: the two programs and 使用说明.txt
dist:
	bash scripts/dist.sh

clean:
	rm -rf build
