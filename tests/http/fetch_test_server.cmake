# The servers and certificates of the page-fetch tests, also used by the
# fetch benchmark.
if(NOT TARGET kessrune_fetch_test_server)
  find_package(PkgConfig REQUIRED)
  find_package(OpenSSL REQUIRED)
  find_package(Threads REQUIRED)
  pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)

  add_library(kessrune_fetch_test_server STATIC
    ${CMAKE_CURRENT_LIST_DIR}/test_server.cpp ${CMAKE_CURRENT_LIST_DIR}/test_server.h)
  add_library(kessrune::fetch_test_server ALIAS kessrune_fetch_test_server)
  target_include_directories(kessrune_fetch_test_server PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(kessrune_fetch_test_server
    PUBLIC PkgConfig::HTTPLIB OpenSSL::SSL OpenSSL::Crypto Threads::Threads
    PRIVATE kessrune::warnings)
endif()
