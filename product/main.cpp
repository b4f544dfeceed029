// Entry point of the cane purchasing program.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include "core/SmGbk.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SmUseCNumericLocale();
  QMainWindow frame;
  frame.setWindowTitle(QString::fromUtf8("甘蔗收购结算系统"));
  frame.setCentralWidget(new QLabel(QString::fromUtf8("甘蔗收购结算系统"), &frame));
  frame.showMaximized();
  return app.exec();
}
