# The option values the printer commands gather into typed settings: the
# commands' own code is under test, so it carries the instrumentation too.
if(KORVA_LIBFUZZER)
  target_compile_options(korva_cli PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()
korva_fuzz_target(fuzz_cliopts ${CMAKE_CURRENT_LIST_DIR}/CliOptionsFuzz.cpp cliopts korva_cli)
