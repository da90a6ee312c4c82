hx_fuzz(http_head SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/http_head.cpp LIBS hx_net)
