# The page fetch on libcurl.
find_package(CURL REQUIRED)
target_sources(kessrune_http PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fetch.cpp ${CMAKE_CURRENT_LIST_DIR}/fetch.h
  ${CMAKE_CURRENT_LIST_DIR}/fetch_profile.cpp ${CMAKE_CURRENT_LIST_DIR}/fetch_profile.h
  ${CMAKE_CURRENT_LIST_DIR}/curl_handles.h
)
target_link_libraries(kessrune_http PUBLIC CURL::libcurl)
