# The edition the product code chooses: its package and file names, and its
# application name as the dictionary Tool.lc gives it (the title bar, the
# menu entry and the window class all show that one name).
#
#   CORVANE_PACKAGE_NAME  corvaneloader (sr) or corvaneloader-clonestamp (cst):
#                         the package, lib/<name>/, the link in bin/, the
#                         desktop entry <name>.desktop and the icon <name>
#   CORVANE_APP_NAME      IDS_CORVANE_APPNAME of resources/<code>/Tool.lc

if(CORVANE_PRODUCT_CODE STREQUAL "cst")
  set(CORVANE_PACKAGE_NAME corvaneloader-clonestamp)
else()
  set(CORVANE_PACKAGE_NAME corvaneloader)
endif()
set(_edition_tool_lc ${PROJECT_SOURCE_DIR}/resources/${CORVANE_PRODUCT_CODE}/Tool.lc)
file(STRINGS ${_edition_tool_lc} _app_name_line REGEX "^IDS_CORVANE_APPNAME=" ENCODING UTF-8)
string(REGEX REPLACE "^IDS_CORVANE_APPNAME=" "" CORVANE_APP_NAME "${_app_name_line}")
if(NOT CORVANE_APP_NAME)
  message(FATAL_ERROR "${_edition_tool_lc} names no application (IDS_CORVANE_APPNAME)")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_edition_tool_lc})
