# The CSS toolkit: the tokens cover the input, the formatted sheet reads back
# as the same tokens, and rewritten urls read back as what was written.
foreach(target css_tokenize css_format css_urls)
  kessrune_fuzz(${target} ${CMAKE_CURRENT_SOURCE_DIR}/${target}.cpp kessrune::css)
endforeach()
