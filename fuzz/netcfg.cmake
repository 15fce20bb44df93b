# Network-setting replies from the local network and the texts of a change.
korva_fuzz_target(fuzz_netdatagram ${CMAKE_CURRENT_LIST_DIR}/NetDatagramFuzz.cpp netdatagram korva_codec)
