# The simulated printer's command decoders and datagram responder.
korva_fuzz_target(fuzz_simdecoder ${CMAKE_CURRENT_LIST_DIR}/SimDecoderFuzz.cpp simdecoder korva_sim_core)
