# The profile file is outside input: any bytes must parse without harm, and every
# value the program reads from it must be taken or refused without harm.
korva_fuzz_target(fuzz_ini ${CMAKE_CURRENT_LIST_DIR}/IniFuzz.cpp ini korva_core)
