hx_fuzz(http_chunked SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/http_chunked.cpp LIBS hx_net)
