#include "platform/SmDesktop.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>

#ifdef Q_OS_WIN
#include <windows.h>
#elif defined(SM_HAVE_X11)
#include <QtGui/qguiapplication_platform.h>
// After every Qt header: the X11 headers define macros such as None and Bool.
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#endif

namespace {

bool InstallTranslation(const QLocale& locale) {
  auto* translator = new QTranslator(QCoreApplication::instance());
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!translator->load(locale, "qtbase", "_", folder) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  return true;
}

}  // namespace

bool SmLoadQtTranslation(const QLocale& locale) {
  if (!QCoreApplication::instance()) return false;
  // The program's own texts are Chinese: Qt's texts follow a Chinese system locale (simplified
  // or traditional) and are simplified Chinese on any other.
  if (locale.language() == QLocale::Chinese && InstallTranslation(locale)) return true;
  return InstallTranslation(QLocale(QLocale::Chinese, QLocale::China));
}

void SmUseIconTheme() {
  const QString theme = QIcon::themeName();
  if (theme.isEmpty() || theme == "hicolor") QIcon::setThemeName("breeze");
  QIcon::setFallbackThemeName("breeze");
}

QIcon SmThemeIcon(const char* name, const QIcon& fallback) {
  return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : fallback;
}

SmLockKeys SmGetLockKeys() {
  SmLockKeys keys;
#ifdef Q_OS_WIN
  keys.caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
  keys.num = (GetKeyState(VK_NUMLOCK) & 1) != 0;
#elif defined(SM_HAVE_X11)
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->display()) return keys;
  Display* display = x11->display();
  XkbStateRec state;
  if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) return keys;
  keys.caps = (state.locked_mods & LockMask) != 0;
  // Num Lock is whichever modifier the keyboard map gives its key.
  const unsigned numMask = XkbKeysymToModifiers(display, XK_Num_Lock);
  keys.num = numMask != 0 && (state.locked_mods & numMask) != 0;
#endif
  return keys;
}
