# What `cmake --install` puts where, and the Debian package made from it (scripts/package).
include(GNUInstallDirs)

install(TARGETS quarvel quarvel-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program looks for its help beside itself first, then in ../share/quarvel/.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/src/shell/QVR32.HLP DESTINATION ${CMAKE_INSTALL_DATADIR}/quarvel)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/examples/customers.txt ${CMAKE_CURRENT_SOURCE_DIR}/examples/customers.tab
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quarvel/examples)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/data/quarvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/data/icons/quarvel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/data/icons/quarvel-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quarvel.png)
endforeach()
# quarvel-batch's page is filled from its commands' option lists, as its help is.
set(qvr_batch_page ${CMAKE_CURRENT_BINARY_DIR}/man/quarvel-batch.1)
add_custom_command(OUTPUT ${qvr_batch_page}
  DEPENDS quarvel-batch-manual ${CMAKE_CURRENT_SOURCE_DIR}/data/man/quarvel-batch.1.in
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
  COMMAND quarvel-batch-manual ${CMAKE_CURRENT_SOURCE_DIR}/data/man/quarvel-batch.1.in ${qvr_batch_page} VERBATIM)
# Manual pages are installed compressed, as man and Debian expect them.
foreach(page quarvel quarvel-batch)
  set(gz ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1.gz)
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/data/man/${page}.1)
  if(page STREQUAL quarvel-batch)
    set(source ${qvr_batch_page})
  endif()
  add_custom_command(OUTPUT ${gz} DEPENDS ${source}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    COMMAND sh -c "gzip -9n -c '${source}' > '${gz}'" VERBATIM)
  list(APPEND qvr_manual_pages ${gz})
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${qvr_manual_pages})
install(FILES ${qvr_manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# What Debian asks of every package: the copyright and the changelog in its documentation folder, the
# changelog compressed reproducibly.
set(qvr_changelog ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian.gz)
add_custom_command(OUTPUT ${qvr_changelog} DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/data/debian/changelog
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/debian
  COMMAND sh -c "gzip -9n -c '${CMAKE_CURRENT_SOURCE_DIR}/data/debian/changelog' > '${qvr_changelog}'" VERBATIM)
add_custom_target(package_documents ALL DEPENDS ${qvr_changelog})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/data/debian/copyright ${qvr_changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quarvel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quarvel maintainers <maintainers@quarvel.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Cuts fixed-column text files into separated text or dBase tables")
# The extended description, its lines as they stand in the package's control file.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/data/debian/description CPACK_PACKAGE_DESCRIPTION)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The run-time libraries are found from the programs themselves; nothing of the build or the tests.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
