# What a program's CMakeLists.txt calls to be installed and packaged. The
# files that come with the programs (desktop entries, metainfo, icons,
# systemd units) are dropped into the folders of packaging/ and picked up
# there by packaging/CMakeLists.txt; see packaging/README.md.
include(GNUInstallDirs)

set(TALLY77_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
find_program(TALLY77_SCDOC scdoc)
find_program(TALLY77_GZIP gzip)
if(NOT TALLY77_SCDOC)
  message(WARNING "scdoc not found: the man pages are neither built nor installed")
endif()

# tally77_install_man_page(<page.N.scd>): turns an scdoc page of
# packaging/man/ into troff at build time and installs it, compressed, into
# the man folder of its section (the N of its name).
function(tally77_install_man_page scd)
  if(NOT TALLY77_SCDOC OR NOT TALLY77_GZIP)
    return()
  endif()
  get_filename_component(page ${scd} NAME_WLE)
  string(REGEX MATCH "[0-9]$" section ${page})
  if(NOT section)
    message(FATAL_ERROR "man page ${scd}: the name must end in .<section>.scd")
  endif()
  set(troff ${CMAKE_BINARY_DIR}/man/${page})
  add_custom_command(
    OUTPUT ${troff} ${troff}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${TALLY77_SCDOC} < ${scd} > ${troff}
    COMMAND ${TALLY77_GZIP} -9n -c ${troff} > ${troff}.gz
    DEPENDS ${scd}
    COMMENT "Man page ${page}"
    VERBATIM)
  add_custom_target(man-${page} ALL DEPENDS ${troff} ${troff}.gz)
  install(FILES ${troff}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()

# tally77_install_program(<target>): installs the program into the bin folder
# with its man page, packaging/man/<target>.1.scd, which every installed
# program has.
function(tally77_install_program target)
  set(scd ${TALLY77_PACKAGING_DIR}/man/${target}.1.scd)
  if(NOT EXISTS ${scd})
    message(FATAL_ERROR "${target} is installed but has no man page: write ${scd}")
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  tally77_install_man_page(${scd})
endfunction()
