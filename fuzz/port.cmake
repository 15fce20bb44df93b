# Printer replies over USB, and the option grammar of the command line.
korva_fuzz_target(fuzz_usbreply ${CMAKE_CURRENT_LIST_DIR}/UsbReplyFuzz.cpp usbreply korva_codec)
korva_fuzz_target(fuzz_connargs ${CMAKE_CURRENT_LIST_DIR}/ConnectionArgsFuzz.cpp connargs korva_codec)
