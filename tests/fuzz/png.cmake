hx_fuzz(png SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/png.cpp LIBS hx_ui)
