# Firmware image files (.K20, .bin) and the older loader's answers are outside input.
korva_fuzz_target(fuzz_firmware ${CMAKE_CURRENT_LIST_DIR}/FirmwareFuzz.cpp firmware korva_codec)
