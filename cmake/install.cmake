# Installing Kinloom, and its Debian package.
#
#   bin/kinloom, bin/kinloom-create
#   share/kinloom/              help.htm, sand1.jpg, example/ (a small tree)
#   share/applications/         kinloom.desktop
#   share/icons/hicolor/        the icon as SVG, and as PNG at 32, 48, 128
#   share/man/man1/             kinloom.1.gz, kinloom-create.1.gz
#   share/doc/kinloom/          copyright, changelog.gz
#
# The programs find share/kinloom from their own location, so the tree works
# under any prefix. A build tree keeps the same data in share/kinloom beside
# the programs.
include(GNUInstallDirs)

set(KINLOOM_DATA_DIR ${CMAKE_INSTALL_DATADIR}/kinloom)
set(KINLOOM_SHIPPED_DATA ${CMAKE_SOURCE_DIR}/example/help.htm ${CMAKE_SOURCE_DIR}/example/html/sand1.jpg)

foreach(file ${KINLOOM_SHIPPED_DATA})
  get_filename_component(name ${file} NAME)
  configure_file(${file} ${CMAKE_BINARY_DIR}/share/kinloom/${name} COPYONLY)
endforeach()

install(TARGETS kinloom-create RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kinloom)
  install(TARGETS kinloom RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${KINLOOM_SHIPPED_DATA} DESTINATION ${KINLOOM_DATA_DIR})
install(FILES example/family.ged example/kinloom.cfg DESTINATION ${KINLOOM_DATA_DIR}/example)
install(FILES example/html/margarethe.png example/html/margarethe-1920.png example/html/thomas.png
        DESTINATION ${KINLOOM_DATA_DIR}/example/html)
# The pictures as a user keeps them beside the tree, where the run finds them.
install(FILES example/photos/thomas.png DESTINATION ${KINLOOM_DATA_DIR}/example/photos)
install(FILES example/pictures/Margarethe.png example/pictures/margarethe-1920.png
        DESTINATION ${KINLOOM_DATA_DIR}/example/pictures)
install(FILES packaging/kinloom.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/kinloom.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(KINLOOM_GENERATED_DOCS)

# The PNG icons, drawn from the SVG.
find_program(KINLOOM_RSVG_CONVERT rsvg-convert)
if(KINLOOM_RSVG_CONVERT)
  foreach(size 32 48 128)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/kinloom.png)
    add_custom_command(
      OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${KINLOOM_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
              ${CMAKE_SOURCE_DIR}/packaging/kinloom.svg
      DEPENDS ${CMAKE_SOURCE_DIR}/packaging/kinloom.svg
      VERBATIM)
    list(APPEND KINLOOM_GENERATED_DOCS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
else()
  message(WARNING "rsvg-convert (librsvg2-bin) not found: the PNG icons are not made")
endif()

# The manual pages share their sections on results, kinloom.cfg and files.
file(READ ${CMAKE_SOURCE_DIR}/packaging/man-results.roff MAN_RESULTS)
file(READ ${CMAKE_SOURCE_DIR}/packaging/man-configuration.roff MAN_CONFIGURATION)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/packaging/man-results.roff
             ${CMAKE_SOURCE_DIR}/packaging/man-configuration.roff)
foreach(page kinloom kinloom-create)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/${page}.1.in ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/doc/changelog COPYONLY)

# Debian wants manual pages and the changelog compressed, reproducibly.
foreach(file man/kinloom.1 man/kinloom-create.1 doc/changelog)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/${file}.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/${file}
    DEPENDS ${CMAKE_BINARY_DIR}/${file}
    VERBATIM)
  list(APPEND KINLOOM_GENERATED_DOCS ${CMAKE_BINARY_DIR}/${file}.gz)
endforeach()
add_custom_target(kinloom_install_files ALL DEPENDS ${KINLOOM_GENERATED_DOCS})

install(FILES ${CMAKE_BINARY_DIR}/man/kinloom.1.gz ${CMAKE_BINARY_DIR}/man/kinloom-create.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package (cpack -G DEB, see scripts/package-debian.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kinloom)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kinloom developers <kinloom@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "family tree web site maker for GEDCOM files")
# CPack puts the summary above this text as the description's first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kinloom turns a family tree, exported from any genealogy program as a
GEDCOM file, into a static web site to upload to a home page: family group
pages, pages of individuals, notes and photo pages, text pedigree charts,
a surnames index, names index pages and a GENDEX index file.

The desktop program kinloom shows one small window for the settings;
kinloom-create makes the same run from a script or without a display.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Help opens the user guide with the desktop's browser; the window's text
# needs a scalable font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-dejavu-core")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
include(CPack)

# The package and an installed tree, used as a user would.
enable_testing()
add_test(NAME installed_tree
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/installed_tree.sh ${CMAKE_BINARY_DIR})
set_tests_properties(installed_tree PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
