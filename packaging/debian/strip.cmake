# Run by CPack on its staging tree before it packs it: the programs lose their
# symbols and the .comment and .note sections, as Debian's own packages do.
file(GLOB_RECURSE staged_programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(name IN LISTS CPACK_KORVA_PROGRAMS)
  list(FILTER staged_programs EXCLUDE REGEX "/bin/${name}$")
endforeach()
if(staged_programs)
  message(FATAL_ERROR "unexpected files in the package's bin/: ${staged_programs}")
endif()
foreach(name IN LISTS CPACK_KORVA_PROGRAMS)
  file(GLOB program "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/${name}")
  if(NOT program)
    message(FATAL_ERROR "${name} is not in the package")
  endif()
  execute_process(
    COMMAND ${CPACK_KORVA_STRIP} --remove-section=.comment --remove-section=.note ${program}
    RESULT_VARIABLE stripped)
  if(NOT stripped EQUAL 0)
    message(FATAL_ERROR "strip ${program} failed")
  endif()
endforeach()
