# Precompiled Qt headers. Every target precompiles the Qt headers it uses most;
# the test executables reuse the test support library's, so the sanitizer
# build parses Qt's headers a handful of times instead of once per file.
#   orvane_precompile_qt(<target> [GUI] [TEST])
function(orvane_precompile_qt target)
  cmake_parse_arguments(PCH "GUI;TEST" "" "" ${ARGN})
  set(headers <QByteArray> <QString> <QStringList> <QList> <QMap> <QHash> <QVariant>
    <QObject> <QPointer> <QFile> <QDir> <QMutex> <QThread> <QTimer> <QCoreApplication>)
  if(PCH_GUI OR PCH_TEST)
    list(APPEND headers <QColor> <QFont> <QPainter> <QWidget> <QDialog> <QApplication>
      <QLabel> <QPushButton> <QComboBox> <QCheckBox> <QMenu> <QAction> <QLayout>)
  endif()
  if(PCH_TEST)
    list(APPEND headers <QtTest> <QSignalSpy>)
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
