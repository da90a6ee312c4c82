hx_fuzz(cookies SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/cookies.cpp LIBS hx_net)
