// Entry point of the cane purchasing program.
#include <QApplication>

#include "core/SmGbk.h"
#include "product/TsApp.h"

int main(int argc, char** argv) {
  QApplication qtApp(argc, argv);
  SmUseCNumericLocale();
  CTsApp app;
  std::vector<std::string> args;
  for (const QString& arg : QApplication::arguments().mid(1)) args.push_back(arg.toStdString());
  if (!app.InitInstance(args)) return app.ExitInstance();
  const int code = QApplication::exec();
  app.ExitInstance();
  return code;
}
