# Five fetches of one shop against the curl tool and against a fresh
# connection per fetch, on servers of the benchmark's own on 127.0.0.1.
kessrune_bench(fetch_bench
  SOURCES fetch_bench.cpp
  LIBS kessrune::http kessrune::testing)
