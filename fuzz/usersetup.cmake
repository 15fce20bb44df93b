# Setting replies from the printer, parsed and decoded into the settings record.
korva_fuzz_target(fuzz_usersetup_reply ${CMAKE_CURRENT_LIST_DIR}/UserSetupReplyFuzz.cpp usersetup korva_codec)
