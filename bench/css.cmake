# Speed of the CSS toolkit against baselines of the same run.
kessrune_bench(css_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/css_bench.cpp LIBS kessrune::css)
