# Network-setting replies from the local network and the texts of a change.
korva_fuzz_target(fuzz_netdatagram ${CMAKE_CURRENT_LIST_DIR}/NetDatagramFuzz.cpp netdatagram korva_codec)
# KORVA_NETCFG_DEST, where the network setting dialog sends instead of the broadcast.
korva_fuzz_target(fuzz_netdest ${CMAKE_CURRENT_LIST_DIR}/NetDestinationFuzz.cpp netdest korva_codec)
