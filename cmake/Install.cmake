# What `cmake --install` puts in place and how script/package turns it into a
# Debian package. The installed programs carry the default pack inside
# themselves, so an installation needs no data file beside them.
include(GNUInstallDirs)

find_program(ZORBIN_GZIP gzip REQUIRED)
set(install_dir ${CMAKE_BINARY_DIR}/install)
set(install_files)
# Make, unlike Ninja, does not create the folder a command writes into.
set(make_bin_dir ${CMAKE_COMMAND} -E make_directory ${install_dir}/bin)

# Stripped first: stripping afterwards would cut the appended pack off.
set(ZORBIN_PACK_FILE ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Zorbin.data)
foreach(program IN ITEMS zorbin zorbin-demo zorbin-tool)
  set(out ${install_dir}/bin/${program})
  if(program STREQUAL "zorbin-tool")
    add_custom_command(OUTPUT ${out}
      COMMAND ${make_bin_dir}
      COMMAND ${CMAKE_STRIP} -o ${out} $<TARGET_FILE:${program}>
      DEPENDS ${program} COMMENT "Stripping ${program} for installation" VERBATIM)
  else()
    add_custom_command(OUTPUT ${out}
      COMMAND ${make_bin_dir}
      COMMAND ${CMAKE_STRIP} -o ${out}.stripped $<TARGET_FILE:${program}>
      COMMAND zorbin-tool append ${out}.stripped ${ZORBIN_PACK_FILE} ${out}
      COMMAND ${CMAKE_COMMAND} -E rm -f ${out}.stripped
      DEPENDS ${program} zorbin-tool zorbin_data ${ZORBIN_PACK_FILE}
      COMMENT "Appending the default pack to ${program}" VERBATIM)
  endif()
  list(APPEND install_files ${out})
endforeach()
# Games go to games/ beside bin/, as Debian keeps them; the pack author's
# tool is an ordinary program.
install(PROGRAMS ${install_dir}/bin/zorbin ${install_dir}/bin/zorbin-demo DESTINATION games)
install(PROGRAMS ${install_dir}/bin/zorbin-tool DESTINATION ${CMAKE_INSTALL_BINDIR})

# The icon: a 16-pixel picture enlarged by whole factors.
set(icon_tga ${install_dir}/icon/zorbin.tga)
add_custom_command(OUTPUT ${icon_tga}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${install_dir}/icon
  COMMAND zorbin-tool tga ${CMAKE_SOURCE_DIR}/data/icon/zorbin.xpm ${icon_tga}
  DEPENDS zorbin-tool ${CMAKE_SOURCE_DIR}/data/icon/zorbin.xpm COMMENT "Drawing the icon" VERBATIM)
foreach(size IN ITEMS 16 32 48 64 128 256)
  math(EXPR factor "${size} / 16")
  set(out ${install_dir}/icons/${size}x${size}/zorbin.png)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${install_dir}/icons/${size}x${size}
    COMMAND zorbin-tool picture ${icon_tga} ${out} --scale ${factor}
    DEPENDS zorbin-tool ${icon_tga} COMMENT "Drawing the ${size} px icon" VERBATIM)
  list(APPEND install_files ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Man pages, compressed as Debian wants them (-n: no time stamp inside).
foreach(page IN ITEMS zorbin.6 zorbin-demo.1 zorbin-tool.1)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  set(out ${install_dir}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${install_dir}/man
    COMMAND ${ZORBIN_GZIP} -9nc ${CMAKE_SOURCE_DIR}/data/install/${page} > ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/data/install/${page} COMMENT "Compressing ${page}")
  list(APPEND install_files ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
# The package's change log, in Debian's format, with the project's version.
configure_file(${CMAKE_SOURCE_DIR}/data/install/changelog.in ${install_dir}/changelog @ONLY)
add_custom_command(OUTPUT ${install_dir}/changelog.gz
  COMMAND ${ZORBIN_GZIP} -9nc ${install_dir}/changelog > ${install_dir}/changelog.gz
  DEPENDS ${install_dir}/changelog COMMENT "Compressing the change log")
list(APPEND install_files ${install_dir}/changelog.gz)
install(FILES ${install_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zorbin)
add_custom_target(zorbin_install_files ALL DEPENDS ${install_files})

set(ZORBIN_APP_ID org.example.zorbin)
install(FILES ${CMAKE_SOURCE_DIR}/data/install/zorbin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        RENAME ${ZORBIN_APP_ID}.desktop)
configure_file(${CMAKE_SOURCE_DIR}/data/install/zorbin.metainfo.xml.in ${install_dir}/${ZORBIN_APP_ID}.metainfo.xml @ONLY)
install(FILES ${install_dir}/${ZORBIN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zorbin)
# Debian looks for the licence under this name.
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zorbin RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorbin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zorbin developers <zorbin@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "single-screen action puzzle game")
set(CPACK_PACKAGE_DESCRIPTION
    "Zorbin is a single-screen 2D action game: walk a small figure through tile\n maps and push every crate onto its golden slot. The default map pack is\n built into the program; zorbin-tool builds and inspects map packs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/zorbin")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
