# The page fetch against servers of the tests' own on 127.0.0.1.
find_package(PkgConfig REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)

if(NOT TARGET kessrune_fetch_test_server)
  add_library(kessrune_fetch_test_server STATIC
    ${CMAKE_CURRENT_LIST_DIR}/test_server.cpp ${CMAKE_CURRENT_LIST_DIR}/test_server.h)
  add_library(kessrune::fetch_test_server ALIAS kessrune_fetch_test_server)
  target_include_directories(kessrune_fetch_test_server PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(kessrune_fetch_test_server
    PUBLIC PkgConfig::HTTPLIB OpenSSL::SSL OpenSSL::Crypto Threads::Threads
    PRIVATE kessrune::warnings)
endif()

kessrune_gtest(fetch_test
  SOURCES fetch_profile_test.cpp fetch_test.cpp
  LIBS kessrune::http kessrune::fetch_test_server)
