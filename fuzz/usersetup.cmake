# Setting replies from the printer, parsed and decoded into the settings record.
korva_fuzz_target(fuzz_usersetup_reply ${CMAKE_CURRENT_LIST_DIR}/UserSetupReplyFuzz.cpp usersetup korva_codec)
# Settings from the user: the JSON of `setup write --from` and NAME=VALUE texts.
korva_fuzz_target(fuzz_settings ${CMAKE_CURRENT_LIST_DIR}/SettingsFuzz.cpp settings korva_core)
# The file of `setup write --from`, read as korva reads it.
korva_fuzz_target(fuzz_settings_file ${CMAKE_CURRENT_LIST_DIR}/SettingsFileFuzz.cpp settingsfile korva_core)
