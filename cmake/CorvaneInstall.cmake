# What `cmake --install` lays out under its prefix, and the Debian package
# CPack builds from it (`cpack -G DEB` in the build folder).
#
#   lib/<package>/           the program, corvane-batch, their libraries, the
#                            dictionaries (with de/), Skin/ and Bitmap/: the
#                            program opens them beside its real executable
#   bin/<package>            link to lib/<package>/CorvaneLoader
#   bin/corvane-batch        link to lib/<package>/corvane-batch (sr edition)
#   share/applications/<package>.desktop
#   share/icons/hicolor/<N>x<N>/apps/<package>.png
#   share/man/man1/corvane-batch.1.gz (sr edition)
#
# <package> is CORVANE_PACKAGE_NAME (cmake/CorvaneEdition.cmake):
# "corvaneloader" for the spot remover, "corvaneloader-clonestamp" for the
# clone stamp, so both editions install side by side. corvane-batch removes
# spots, so only the spot remover's package carries it.

# The desktop entry's comment, in English and German, by edition.
if(CORVANE_PRODUCT_CODE STREQUAL "cst")
  set(CORVANE_DESKTOP_COMMENT "Repair photos by painting with pixels copied from another spot")
  set(CORVANE_DESKTOP_COMMENT_DE "Fotos ausbessern, indem Sie mit Pixeln einer anderen Stelle malen")
  set(_with_batch OFF)
else()
  set(CORVANE_DESKTOP_COMMENT "Remove dust spots and blemishes from photos")
  set(CORVANE_DESKTOP_COMMENT_DE "Staubflecken und kleine Makel aus Fotos entfernen")
  set(_with_batch ON)
endif()
set(_app_dir lib/${CORVANE_PACKAGE_NAME})
set(_staging ${CMAKE_BINARY_DIR}/install-staging)

# The program and its libraries; RPATH $ORIGIN finds the libraries beside it.
set(_programs CorvaneLoader)
if(_with_batch)
  list(APPEND _programs corvane-batch)
endif()
install(TARGETS ${_programs} platform Tracewell Wordhoard Recallo Tinctor Gleamkit Carrow Viewfold
        RUNTIME DESTINATION ${_app_dir} LIBRARY DESTINATION ${_app_dir})
install(DIRECTORY ${CORVANE_DICTIONARY_DIR}/ DESTINATION ${_app_dir})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/Skin ${PROJECT_SOURCE_DIR}/resources/Bitmap DESTINATION ${_app_dir}
        PATTERN .keep EXCLUDE)

# bin/ holds relative links, so the layout works under any prefix; the program
# follows /proc/self/exe to its real folder.
file(MAKE_DIRECTORY ${_staging}/bin)
file(CREATE_LINK ../${_app_dir}/CorvaneLoader ${_staging}/bin/${CORVANE_PACKAGE_NAME} SYMBOLIC)
set(_links ${_staging}/bin/${CORVANE_PACKAGE_NAME})
if(_with_batch)
  file(CREATE_LINK ../${_app_dir}/corvane-batch ${_staging}/bin/corvane-batch SYMBOLIC)
  list(APPEND _links ${_staging}/bin/corvane-batch)
endif()
install(FILES ${_links} DESTINATION bin)

configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/corvaneloader.desktop.in
               ${_staging}/${CORVANE_PACKAGE_NAME}.desktop @ONLY)
install(FILES ${_staging}/${CORVANE_PACKAGE_NAME}.desktop DESTINATION share/applications)

# The icon theme folder is drawn by the build (appicongen). Sanitizer builds
# are never installed and skip it, so a leak report of the drawing program
# cannot stop their build.
if(NOT CORVANE_SANITIZER)
  set(_icons ${_staging}/icons/hicolor)
  add_custom_command(OUTPUT ${_icons}/256x256/apps/${CORVANE_PACKAGE_NAME}.png
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:appicongen> ${_icons} ${CORVANE_PACKAGE_NAME}
    DEPENDS appicongen
    COMMENT "Drawing the application icon for the icon theme")
  add_custom_target(corvane_icons ALL DEPENDS ${_icons}/256x256/apps/${CORVANE_PACKAGE_NAME}.png)
  install(DIRECTORY ${_icons} DESTINATION share/icons)
endif()

if(_with_batch)
  configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/corvane-batch.1.in ${_staging}/corvane-batch.1 @ONLY)
  find_program(GZIP_PROGRAM gzip REQUIRED)
  add_custom_command(OUTPUT ${_staging}/corvane-batch.1.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${_staging}/corvane-batch.1 > ${_staging}/corvane-batch.1.gz
    DEPENDS ${_staging}/corvane-batch.1
    COMMENT "Compressing the manual page of corvane-batch")
  add_custom_target(corvane_manpage ALL DEPENDS ${_staging}/corvane-batch.1.gz)
  install(FILES ${_staging}/corvane-batch.1.gz DESTINATION share/man/man1)
endif()

# The Debian package. Its dependencies come from the binaries (dpkg-shlibdeps,
# which finds the private libraries through their $ORIGIN run path)
# plus what is loaded by name: Liberation Sans stands in for the skin's Arial
# with the same widths, so texts fit the fixed dialog sizes; Qt's own
# translations put its file dialog into the user's language.
set(CORVANE_PACKAGE_MAINTAINER "Quillmark <packages@quillmark.com>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${CORVANE_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR Quillmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CORVANE_APP_NAME}: photo retouching")
set(CPACK_PACKAGE_DESCRIPTION
    "Opens one photograph (BMP, JPEG, PNG or TIFF), shows it zoomed and scrolled, repairs it with\n\
its retouching tool, turns and mirrors it with undo and redo, and saves it keeping its Exif and\n\
IPTC metadata. User interface in English and German.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CORVANE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.quillmark.com/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
