# Printer replies over USB, and the option grammar of the command line.
korva_fuzz_target(fuzz_usbreply ${CMAKE_CURRENT_LIST_DIR}/UsbReplyFuzz.cpp usbreply korva_codec)
korva_fuzz_target(fuzz_connargs ${CMAKE_CURRENT_LIST_DIR}/ConnectionArgsFuzz.cpp connargs korva_codec)
# The values of the connection options and the numbers of the other options.
korva_fuzz_target(fuzz_connection ${CMAKE_CURRENT_LIST_DIR}/ConnectionFuzz.cpp connection korva_codec)
# Replies on a parallel line: read blocks with the printer's status blocks.
korva_fuzz_target(fuzz_parreply ${CMAKE_CURRENT_LIST_DIR}/ParPortReplyFuzz.cpp parreply korva_core)
# A USB printer's IEEE 1284 device ID, as korva ports reads it.
korva_fuzz_target(fuzz_deviceid ${CMAKE_CURRENT_LIST_DIR}/DeviceIdFuzz.cpp deviceid korva_codec)
# The device tables of /sys and /dev: entry names and their attributes.
korva_fuzz_target(fuzz_devicetree ${CMAKE_CURRENT_LIST_DIR}/DeviceTreeFuzz.cpp devicetree korva_core)
