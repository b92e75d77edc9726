# The HTTP core: address decomposition, the response-header scan with the
# cookie merge, and the charset conversion.
kessrune_fuzz(http_url http_url.cpp kessrune::http)
kessrune_fuzz(http_cookies http_cookies.cpp kessrune::http)
kessrune_fuzz(http_charset http_charset.cpp kessrune::http)
