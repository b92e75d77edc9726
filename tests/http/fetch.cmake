# The page fetch against servers of the tests' own on 127.0.0.1.
kessrune_gtest(fetch_test
  SOURCES fetch_profile_test.cpp fetch_test.cpp
  LIBS kessrune::http kessrune::testing)
