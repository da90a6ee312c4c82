hx_fuzz(language_rows SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/language_rows.cpp LIBS hx_support)
