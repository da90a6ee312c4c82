hx_fuzz(http_client SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/http_client.cpp LIBS hx_net)
