# The simulator's decoders and printer model are the code under test here, so
# its library carries the instrumentation as the codec library does.
if(KORVA_LIBFUZZER)
  target_compile_options(korva_sim_core PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  target_compile_options(korva_sim_options PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()
# The simulated printer's command decoders and datagram responder.
korva_fuzz_target(fuzz_simdecoder ${CMAKE_CURRENT_LIST_DIR}/SimDecoderFuzz.cpp simdecoder korva_sim_core)
# The simulator's command line: options, counts, endpoints and addresses.
korva_fuzz_target(fuzz_simoptions ${CMAKE_CURRENT_LIST_DIR}/SimOptionsFuzz.cpp simoptions korva_sim_options)
