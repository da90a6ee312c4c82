hx_fuzz(url_location SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/url_location.cpp LIBS hx_net)
