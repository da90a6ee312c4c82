hx_fuzz(pe_file SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/pe_file.cpp LIBS hx_update)
