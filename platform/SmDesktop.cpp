#include "platform/SmDesktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QPainter>
#include <QTranslator>
#include <functional>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#elif defined(SM_HAVE_X11)
#include <QtGui/qguiapplication_platform.h>
// After every Qt header: the X11 headers define macros such as None and Bool.
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#endif

namespace {

// Qt 6 asks for the names of folders, drives and links ("Folder", "Drive", "Shortcut") under
// the context of its file icon provider, where Qt 5 asked under the file dialog's; translations
// still made for Qt 5 hold them only there, and the file dialogs would list "Folder" among
// Chinese texts. This answers for the new context from the old one when Qt's has no answer.
class CIconProviderTranslator : public QTranslator {
 public:
  CIconProviderTranslator(const QTranslator& qt, QObject* parent) : QTranslator(parent), m_qt(qt) {}

  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char* disambiguation,
                    int n) const override {
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
    const QString own = m_qt.translate(context, source, disambiguation, n);
    return own.isEmpty() ? m_qt.translate("QFileDialog", source, disambiguation, n) : own;
  }

 private:
  const QTranslator& m_qt;
};

bool InstallTranslation(const QLocale& locale) {
  auto* translator = new QTranslator(QCoreApplication::instance());
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!translator->load(locale, "qtbase", "_", folder) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(new CIconProviderTranslator(*translator, translator));
  return true;
}

// An icon made when it is first drawn or asked about, not when it is made: menus, tool bars
// and lists get their icons at start-up, long before most of them are seen (and the first theme
// lookup reads the theme's index). Once made it answers as the made icon does; the size of a
// picture of known side and "not null" where that is known are answered without making it.
class CLazyIconEngine : public QIconEngine {
 public:
  CLazyIconEngine(std::function<QIcon()> make, int side, bool neverNull)
      : m_make(std::move(make)), m_side(side), m_neverNull(neverNull) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Made().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  // As a pixmap icon answers: the square, made smaller to fit.
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    if (m_side <= 0) return Made().actualSize(size, mode, state);
    QSize actual(m_side, m_side);
    if (actual.width() > size.width() || actual.height() > size.height()) {
      actual.scale(size, Qt::KeepAspectRatio);
    }
    return actual;
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Made().pixmap(size, 1.0, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    return Made().pixmap(size, scale, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Made().availableSizes(mode, state);
  }
  QString iconName() override { return Made().name(); }
  bool isNull() override { return !m_neverNull && Made().isNull(); }
  QString key() const override { return QStringLiteral("SmLazy"); }
  QIconEngine* clone() const override { return new CLazyIconEngine(*this); }

 private:
  const QIcon& Made() {
    if (m_make) m_icon = std::exchange(m_make, nullptr)();
    return m_icon;
  }

  std::function<QIcon()> m_make;  // empty once made
  int m_side;
  bool m_neverNull;
  QIcon m_icon;
};

}  // namespace

bool SmLoadQtTranslation(const QLocale& locale) {
  if (!QCoreApplication::instance()) return false;
  // The program's own texts are Chinese: Qt's texts follow a Chinese system locale (simplified
  // or traditional) and are simplified Chinese on any other.
  if (locale.language() == QLocale::Chinese && InstallTranslation(locale)) return true;
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  if (!InstallTranslation(chinese)) return false;
  // What Qt writes from its locale (the names of file types in the file dialogs) then speaks
  // the language of its texts too, not the system's.
  QLocale::setDefault(chinese);
  return true;
}

void SmUseIconTheme() {
  const QString theme = QIcon::themeName();
  if (theme.isEmpty() || theme == "hicolor") QIcon::setThemeName("breeze");
  QIcon::setFallbackThemeName("breeze");
}

QIcon SmLazyIcon(std::function<QIcon()> make, int side, bool neverNull) {
  return QIcon(new CLazyIconEngine(std::move(make), side, neverNull));
}

QIcon SmThemeIcon(const char* name, const QIcon& fallback) {
  // With a picture to fall back on the icon is never null, found in the theme or not.
  return SmLazyIcon(
      [name = QString::fromLatin1(name), fallback] {
        return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : fallback;
      },
      0, !fallback.isNull());
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

CSmActiveWindowReturn::CSmActiveWindowReturn() : m_window(QApplication::activeWindow()) {}

CSmActiveWindowReturn::~CSmActiveWindowReturn() {
  if (m_window && m_window->isVisible()) m_window->activateWindow();
}
