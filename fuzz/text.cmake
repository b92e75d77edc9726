# The text toolkit checked against the plain walks of fuzz/text_oracle.h.
foreach(target text_find text_find_reverse text_replace text_split text_extract text_spaces)
  kessrune_fuzz(${target} ${CMAKE_CURRENT_SOURCE_DIR}/${target}.cpp kessrune::text)
endforeach()
