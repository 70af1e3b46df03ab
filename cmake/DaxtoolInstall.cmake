# What `cmake --install` puts where, in three components that become the three Debian packages:
#   cli     daxtool-cli, its manual page and bash completion, the README with its pictures
#   window  daxtool, its manual page, desktop entry and icons
#   sim     daxsim and its manual page
# The manual pages and the completion are made from the programs' own --help at build time. Each
# component's documentation directory has the copyright file and the Debian changelog.

set(DAXTOOL_COMPONENTS cli sim)
set(DAXTOOL_PROGRAMS daxtool-cli daxsim)
if(TARGET daxtool)
  list(PREPEND DAXTOOL_COMPONENTS window)
  list(PREPEND DAXTOOL_PROGRAMS daxtool)
endif()
set(daxtool_component_cli daxtool-cli)
set(daxtool_component_window daxtool)
set(daxtool_component_sim daxsim)
set(daxtool_program_daxtool-cli cli)
set(daxtool_program_daxtool window)
set(daxtool_program_daxsim sim)

# Stripping (cmake --install --strip, and the packages) leaves no compiler version notes behind.
find_program(DAXTOOL_STRIP NAMES strip REQUIRED)
foreach(program IN LISTS DAXTOOL_PROGRAMS)
  set(component ${daxtool_program_${program}})
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
  install(
    CODE "if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${DAXTOOL_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${program}>\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()"
    COMPONENT ${component})
endforeach()

# Manual pages: help2man runs each program with --help and --version. make_man_include.py turns
# the help of daxtool-cli's commands into the COMMANDS section, and daxsim's help into its
# settings and profiles; the sections that no help text carries (device names, JSON output,
# environment, files, exit status, examples) come from resources/man.
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(man_dir ${PROJECT_BINARY_DIR}/man)
set(man_sources ${PROJECT_SOURCE_DIR}/resources/man)
foreach(program IN LISTS DAXTOOL_PROGRAMS)
  set(includes --include=${man_sources}/${program}.h2m)
  set(depends ${man_sources}/${program}.h2m)
  set(generate)
  if(program STREQUAL "daxtool-cli")
    set(generate COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/make_man_include.py
                         $<TARGET_FILE:${program}> ${man_dir}/${program}-commands.h2m)
    list(PREPEND includes --include=${man_dir}/${program}-commands.h2m)
  endif()
  if(NOT program STREQUAL "daxsim")
    list(APPEND includes --include=${man_sources}/common.h2m)
    list(APPEND depends ${man_sources}/common.h2m)
  endif()
  add_custom_command(
    OUTPUT ${man_dir}/${program}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    ${generate}
    COMMAND ${HELP2MAN} --no-info --section=1 ${includes} --output=${man_dir}/${program}.1
            $<TARGET_FILE:${program}>
    COMMAND ${GZIP} -9nf ${man_dir}/${program}.1
    DEPENDS ${program} ${depends} ${PROJECT_SOURCE_DIR}/cmake/make_man_include.py
            ${PROJECT_SOURCE_DIR}/cmake/help_text.py
    COMMENT "Manual page of ${program}"
    VERBATIM)
  list(APPEND man_pages ${man_dir}/${program}.1.gz)
  install(FILES ${man_dir}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT ${daxtool_program_${program}})
endforeach()
add_custom_target(man ALL DEPENDS ${man_pages})

# Bash completion of daxtool-cli: commands, options, option values, the ports for --port, files
# for flash.
set(completion ${PROJECT_BINARY_DIR}/completion/daxtool-cli)
add_custom_command(
  OUTPUT ${completion}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/completion
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/make_bash_completion.py
          $<TARGET_FILE:daxtool-cli> ${completion}
  DEPENDS daxtool-cli ${PROJECT_SOURCE_DIR}/cmake/make_bash_completion.py
          ${PROJECT_SOURCE_DIR}/cmake/help_text.py
  COMMENT "Bash completion of daxtool-cli"
  VERBATIM)
add_custom_target(completion ALL DEPENDS ${completion})
install(FILES ${completion} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions
        COMPONENT cli)

# The window's desktop entry and icon (freedesktop hicolor theme).
if(TARGET daxtool)
  install(FILES resources/daxtool.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications
          COMPONENT window)
  install(
    DIRECTORY resources/icons/hicolor
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons
    COMPONENT window
    FILES_MATCHING
    PATTERN "*.png"
    PATTERN "*.svg")
endif()

# The README is read on the machine too, without a network: its pictures go beside it.
set(doc_root ${CMAKE_INSTALL_DATAROOTDIR}/doc)
install(FILES README.md DESTINATION ${doc_root}/daxtool-cli COMPONENT cli)
install(
  DIRECTORY docs/
  DESTINATION ${doc_root}/daxtool-cli/docs
  COMPONENT cli
  FILES_MATCHING
  PATTERN "*.png")
install(FILES sim/README.md DESTINATION ${doc_root}/daxsim COMPONENT sim)

# The Debian changelog, compressed as policy asks (no name or time stamp in the gzip header).
set(changelog ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(
  OUTPUT ${changelog}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/resources/debian/changelog
          ${PROJECT_BINARY_DIR}/changelog.Debian
  COMMAND ${GZIP} -9nf ${PROJECT_BINARY_DIR}/changelog.Debian
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/debian/changelog
  COMMENT "Debian changelog"
  VERBATIM)
add_custom_target(debian-changelog ALL DEPENDS ${changelog})
foreach(component IN LISTS DAXTOOL_COMPONENTS)
  set(dir ${doc_root}/${daxtool_component_${component}})
  install(FILES COPYRIGHT DESTINATION ${dir} RENAME copyright COMPONENT ${component})
  install(FILES ${changelog} DESTINATION ${dir} COMPONENT ${component})
endforeach()
