# kessrune-cli over loopback against curl fetching the same requests.
if(TARGET kessrune-cli)
  kessrune_bench(cli_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/cli_bench.cpp LIBS kessrune::samples)
  target_compile_definitions(cli_bench PRIVATE KESSRUNE_CLI_EXE="$<TARGET_FILE:kessrune-cli>")
  add_dependencies(cli_bench kessrune-cli)
endif()
