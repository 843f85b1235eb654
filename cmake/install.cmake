# cmake --install build --prefix <dir> lays out what a Linux desktop expects:
#   <dir>/lib/quzmar/        the program folder (executable, device library,
#                            data files, pictures, firmware images in bin/),
#                            kept together as the program reads its data
#                            beside itself
#   <dir>/bin/quzmar         a link to the executable
#   <dir>/share/applications/quzmar.desktop and
#   <dir>/share/icons/hicolor/<size>/apps/quzmar.png
#                            the desktop menu's entry and icon
# DESTDIR=<staging dir> stages it for a package.
set(QUZ_INSTALL_DIR lib/quzmar CACHE STRING "Program folder below the install prefix")
install(TARGETS Quzmar HIDUsb
  RUNTIME DESTINATION ${QUZ_INSTALL_DIR}
  LIBRARY DESTINATION ${QUZ_INSTALL_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/ DESTINATION ${QUZ_INSTALL_DIR}
  PATTERN .keep EXCLUDE)
install(DIRECTORY ${PROGRAM_DIR}/Picture DESTINATION ${QUZ_INSTALL_DIR}
  PATTERN .stamp EXCLUDE)
# The demo firmware images the build wrote, which the update dialog offers.
install(DIRECTORY ${PROGRAM_DIR}/bin/ DESTINATION ${QUZ_INSTALL_DIR}/bin
  FILES_MATCHING PATTERN "*.bin")
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
  file(CREATE_LINK ../${QUZ_INSTALL_DIR}/Quzmar \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/quzmar\" SYMBOLIC)")
install(FILES ${CMAKE_SOURCE_DIR}/packaging/quzmar.desktop DESTINATION share/applications)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION share/icons)
