# What `cmake --install` puts where: the programs, their manual pages (made from their own --help
# at build time), the bash completion of daxtool-cli (made from its --help), the desktop entry and
# icons of the window, and the documentation.

set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/daxtool)
set(DAXTOOL_PROGRAMS daxtool-cli daxsim)
if(TARGET daxtool)
  list(PREPEND DAXTOOL_PROGRAMS daxtool)
endif()
install(TARGETS ${DAXTOOL_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages: help2man runs each program with --help and --version; the sections that a help
# text does not carry (device names, environment, files, exit status) come from resources/man.
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)
set(man_dir ${PROJECT_BINARY_DIR}/man)
set(man_pages)
foreach(program IN LISTS DAXTOOL_PROGRAMS)
  set(include ${PROJECT_SOURCE_DIR}/resources/man/${program}.h2m)
  set(common)
  if(NOT program STREQUAL "daxsim")
    set(common --include=${PROJECT_SOURCE_DIR}/resources/man/common.h2m)
  endif()
  add_custom_command(
    OUTPUT ${man_dir}/${program}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    COMMAND ${HELP2MAN} --no-info --section=1 --include=${include} ${common}
            --output=${man_dir}/${program}.1 $<TARGET_FILE:${program}>
    COMMAND ${GZIP} -9nf ${man_dir}/${program}.1
    DEPENDS ${program} ${include} ${PROJECT_SOURCE_DIR}/resources/man/common.h2m
    COMMENT "Manual page of ${program}"
    VERBATIM)
  list(APPEND man_pages ${man_dir}/${program}.1.gz)
endforeach()
add_custom_target(man ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Bash completion of daxtool-cli: commands, options, option values, files for flash.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(completion ${PROJECT_BINARY_DIR}/completion/daxtool-cli)
add_custom_command(
  OUTPUT ${completion}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/completion
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/make_bash_completion.py
          $<TARGET_FILE:daxtool-cli> ${completion}
  DEPENDS daxtool-cli ${PROJECT_SOURCE_DIR}/cmake/make_bash_completion.py
  COMMENT "Bash completion of daxtool-cli"
  VERBATIM)
add_custom_target(completion ALL DEPENDS ${completion})
install(FILES ${completion}
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)

# The window's desktop entry and icon (freedesktop hicolor theme).
if(TARGET daxtool)
  install(FILES resources/daxtool.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  install(DIRECTORY resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons
          FILES_MATCHING PATTERN "*.png" PATTERN "*.svg")
endif()

install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES COPYRIGHT DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
