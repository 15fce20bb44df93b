# Logo pictures other than bitmaps (PNG, GIF, JPEG, ...) go through Qt's image
# plugins and the blending onto white paper in the core library.
if(KORVA_LIBFUZZER)
  target_compile_options(korva_core PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()
korva_fuzz_target(fuzz_image ${CMAKE_CURRENT_LIST_DIR}/ImageFuzz.cpp image korva_core)
