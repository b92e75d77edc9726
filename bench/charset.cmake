kessrune_bench(charset_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/charset_bench.cpp LIBS kessrune::http)
