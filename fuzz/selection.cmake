# Logo print selection text ("3,9-7,-2").
korva_fuzz_target(fuzz_selection ${CMAKE_CURRENT_SOURCE_DIR}/selection.cpp selection korva_codec)
