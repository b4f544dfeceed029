#include "platform/SmDesktop.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QPainter>
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

// A theme icon looked up when it is first drawn or asked about, not when it is made: the first
// lookup reads the theme's index, which the menus and tool bars need not wait for at start-up.
// Once looked up it answers as the theme's icon, or as the fallback where the theme has none.
class CThemeIconEngine : public QIconEngine {
 public:
  CThemeIconEngine(const char* name, const QIcon& fallback)
      : m_name(QString::fromLatin1(name)), m_fallback(fallback) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, 1.0, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    return Icon().pixmap(size, scale, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  QString iconName() override { return Icon().name(); }
  // With a picture to fall back on the icon is never null, found in the theme or not.
  bool isNull() override { return m_fallback.isNull() && Icon().isNull(); }
  QString key() const override { return QStringLiteral("SmTheme"); }
  QIconEngine* clone() const override { return new CThemeIconEngine(*this); }

 private:
  const QIcon& Icon() {
    if (!m_lookedUp) {
      m_icon = QIcon::hasThemeIcon(m_name) ? QIcon::fromTheme(m_name) : m_fallback;
      m_lookedUp = true;
    }
    return m_icon;
  }

  QString m_name;
  QIcon m_fallback;
  QIcon m_icon;
  bool m_lookedUp = false;
};

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
  return QIcon(new CThemeIconEngine(name, fallback));
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
