# Precompiled Qt headers (KORDAVINA_PCH): one set for the model layer, one for
# the window layer. Not for the tests: Qt's test library defines
# QT_TESTCASE_BUILDDIR per test folder, and GCC refuses a header precompiled
# under another value.
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

