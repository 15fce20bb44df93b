# Logo bitmap files (.bmp) are outside input: every header kind, depth and RLE.
korva_fuzz_target(fuzz_bitmap ${CMAKE_CURRENT_LIST_DIR}/BitmapFuzz.cpp bitmap korva_codec)
