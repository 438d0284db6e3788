# Precompiled Qt headers (KORDAVINA_PCH): one set for the model layer, one for
# the window layer, and one each for model and widget tests, which the test
# executables reuse (kordavina_add_test).
set(KORDAVINA_PCH_MODEL
  <QByteArray> <QDir> <QFile> <QFileInfo> <QList> <QObject> <QPainter> <QString>
  <QStringList> <QVariant> <functional> <memory> <optional> <vector>)
set(KORDAVINA_PCH_GUI ${KORDAVINA_PCH_MODEL}
  <QApplication> <QDialog> <QLabel> <QLineEdit> <QPushButton> <QWidget> <QVBoxLayout>
  <QMessageBox>)
target_precompile_headers(kordavina_model PRIVATE ${KORDAVINA_PCH_MODEL})
if(KORDAVINA_GUI)
  target_precompile_headers(kordavina_gui PRIVATE ${KORDAVINA_PCH_GUI})
endif()

if(KORDAVINA_TESTS)
  # Empty libraries that only carry the tests' precompiled headers, built
  # with the tests' include folders and Qt definitions so that GCC accepts
  # them there.
  file(WRITE ${CMAKE_BINARY_DIR}/kordavina_pch.cpp "// precompiled headers only\n")
  add_library(kordavina_pch_test_model STATIC ${CMAKE_BINARY_DIR}/kordavina_pch.cpp)
  target_link_libraries(kordavina_pch_test_model PRIVATE kordavina_model Qt6::Test)
  # Not <QTest>: it names QT_TESTCASE_BUILDDIR, which differs per test folder
  # and would make GCC refuse the header.
  target_precompile_headers(kordavina_pch_test_model PRIVATE ${KORDAVINA_PCH_MODEL}
                            <QTemporaryDir>)
  if(KORDAVINA_GUI)
    add_library(kordavina_pch_test_gui STATIC ${CMAKE_BINARY_DIR}/kordavina_pch.cpp)
    target_link_libraries(kordavina_pch_test_gui PRIVATE kordavina_gui Qt6::Test)
    target_precompile_headers(kordavina_pch_test_gui PRIVATE ${KORDAVINA_PCH_GUI}
                              <QTemporaryDir>)
  endif()
endif()
