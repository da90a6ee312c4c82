hx_fuzz(charset SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/charset.cpp LIBS hx_net)
