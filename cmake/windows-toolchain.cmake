# Cross-build for 64-bit Windows (preset "windows"): Debian's mingw-w64 g++ and
# the Qt 6.4.2 of ../shared/toolchains (qt-6.4.2-mingw64.tar.xz with its
# toolchain file mingw64-qt.cmake). KORDAVINA_TOOLCHAINS names another folder
# holding them. The Qt archive is unpacked into <build>/qt6-mingw on the first
# configure; KORDAVINA_MINGW_QT names an already unpacked Qt instead.
if(DEFINED ENV{KORDAVINA_TOOLCHAINS})
  set(_kordavina_tc "$ENV{KORDAVINA_TOOLCHAINS}")
else()
  get_filename_component(_kordavina_tc "${CMAKE_CURRENT_LIST_DIR}/../../shared/toolchains" ABSOLUTE)
endif()
if(NOT EXISTS "${_kordavina_tc}/mingw64-qt.cmake")
  message(FATAL_ERROR "No mingw64-qt.cmake in ${_kordavina_tc}: set KORDAVINA_TOOLCHAINS "
                      "to the folder holding it and qt-6.4.2-mingw64.tar.xz")
endif()
include("${_kordavina_tc}/mingw64-qt.cmake")

# try_compile projects read this file again: they need the compilers, not Qt.
get_property(_kordavina_in_try GLOBAL PROPERTY IN_TRY_COMPILE)
if(NOT _kordavina_in_try)
  if(DEFINED ENV{KORDAVINA_MINGW_QT})
    set(_kordavina_qt "$ENV{KORDAVINA_MINGW_QT}")
  else()
    set(_kordavina_qt "${CMAKE_BINARY_DIR}/qt6-mingw")
    if(NOT EXISTS "${_kordavina_qt}/lib/cmake/Qt6/Qt6Config.cmake")
      message(STATUS "Unpacking ${_kordavina_tc}/qt-6.4.2-mingw64.tar.xz into ${CMAKE_BINARY_DIR}")
      file(ARCHIVE_EXTRACT INPUT "${_kordavina_tc}/qt-6.4.2-mingw64.tar.xz"
           DESTINATION "${CMAKE_BINARY_DIR}")
    endif()
  endif()
  list(PREPEND CMAKE_PREFIX_PATH "${_kordavina_qt}")
  set(KORDAVINA_MINGW_QT_DIR "${_kordavina_qt}" CACHE INTERNAL "The mingw Qt the build uses")
endif()
