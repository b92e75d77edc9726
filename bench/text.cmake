# Speed of the text toolkit against baselines of the same run.
kessrune_bench(text_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/text_bench.cpp LIBS kessrune::text)
