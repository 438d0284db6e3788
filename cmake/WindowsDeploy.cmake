# The Windows program as a folder that runs where it is copied (the portable
# .zip) and that the installer installs (installer/kordavina.nsi):
#
#   cmake --install build-win --prefix DIR
#
#   DIR/kordavina.exe, Formats.ini (the sample formats a first start copies)
#   DIR/Qt6*.dll and the mingw-w64 runtime (libgcc_s_seh-1, libstdc++-6, libwinpthread-1)
#   DIR/platforms/    qwindows (the desktop), qoffscreen and qminimal (no screen)
#   DIR/styles/       qwindowsvistastyle (the native look)
#   DIR/translations/ qtbase_hr.qm (Qt's own dialog texts, the closest to Bosnian)
#   DIR/help/         the help topics as plain HTML (the program carries them too)
#   DIR/primjeri/     the sample slip file and catalogues
#
# Qt 6 prints on Windows through Qt6PrintSupport.dll itself: there is no print
# support plugin to deploy. Qt finds the plugin folders beside the executable.
if(NOT KORDAVINA_MINGW_QT_DIR)
  get_filename_component(KORDAVINA_MINGW_QT_DIR "${Qt6_DIR}/../../.." ABSOLUTE)
endif()
set(_qt "${KORDAVINA_MINGW_QT_DIR}")

install(TARGETS kordavina RUNTIME DESTINATION .)
foreach(module Core Gui Widgets PrintSupport)
  install(FILES "${_qt}/bin/Qt6${module}.dll" DESTINATION .)
endforeach()
foreach(plugin qwindows qoffscreen qminimal)
  install(FILES "${_qt}/plugins/platforms/${plugin}.dll" DESTINATION platforms)
endforeach()
install(FILES "${_qt}/plugins/styles/qwindowsvistastyle.dll" DESTINATION styles)

# The compiler's own runtime, wherever this compiler keeps it.
set(KORDAVINA_MINGW_RUNTIME "")
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(_path "${_path}" ABSOLUTE)
  if(NOT EXISTS "${_path}")
    message(FATAL_ERROR "${dll} of ${CMAKE_CXX_COMPILER} not found")
  endif()
  list(APPEND KORDAVINA_MINGW_RUNTIME "${_path}")
endforeach()
set(KORDAVINA_MINGW_RUNTIME "${KORDAVINA_MINGW_RUNTIME}" CACHE INTERNAL "mingw-w64 runtime DLLs")
install(FILES ${KORDAVINA_MINGW_RUNTIME} DESTINATION .)

# Qt's Croatian catalogue: the mingw Qt carries none, Debian's qt6-translations-l10n does.
find_file(KORDAVINA_QTBASE_HR qtbase_hr.qm
  PATHS "${_qt}/translations" "${QT_HOST_PATH}/share/qt6/translations"
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(KORDAVINA_QTBASE_HR)
  install(FILES "${KORDAVINA_QTBASE_HR}" DESTINATION translations)
  # The build tree's programs and tests find it in the unpacked Qt's own
  # translations folder, as the Linux build finds Debian's.
  if(KORDAVINA_MINGW_QT_DIR MATCHES "^${CMAKE_BINARY_DIR}/")
    file(COPY "${KORDAVINA_QTBASE_HR}" DESTINATION "${_qt}/translations")
  endif()
else()
  message(WARNING "qtbase_hr.qm not found (qt6-translations-l10n): Qt's dialogs stay in English")
endif()

install(FILES "${CMAKE_SOURCE_DIR}/examples/Formats.ini" DESTINATION .)
install(FILES "${CMAKE_SOURCE_DIR}/examples/Primjer.upl" "${CMAKE_SOURCE_DIR}/examples/Kordavina.ini"
              "${CMAKE_SOURCE_DIR}/examples/Racuni.ini" DESTINATION primjeri)
file(GLOB _topics "${CMAKE_SOURCE_DIR}/ui/help/topics/*.html")
install(FILES ${_topics} DESTINATION help)
install(FILES "${CMAKE_SOURCE_DIR}/icons/kordavina.ico" DESTINATION .)
