# The page fetch against servers of the tests' own on 127.0.0.1.
include(${CMAKE_CURRENT_LIST_DIR}/fetch_test_server.cmake)

kessrune_gtest(fetch_test
  SOURCES fetch_profile_test.cpp fetch_test.cpp
  LIBS kessrune::http kessrune::fetch_test_server)
