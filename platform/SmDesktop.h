#pragma once
// Ties the program's windows to the desktop it runs on: Qt's own texts (message-box buttons,
// file and colour dialogs) in the user's language, the desktop's icon theme, and the state of
// the lock keys for the status bar.
#include <QIcon>
#include <QLocale>
#include <QPointer>
#include <QWidget>
#include <functional>

// Installs Qt's translation of its own texts: for `locale` when it is a Chinese one, else
// simplified Chinese, which then becomes the program's locale as well; false when none could
// be loaded (Qt's English texts stay).
bool SmLoadQtTranslation(const QLocale& locale = QLocale::system());

// Makes the desktop's icon theme available; without a desktop (no theme set) the installed
// theme "breeze" is used.
void SmUseIconTheme();

// An icon that `make`s itself when it is first drawn or asked about, then answers exactly as
// the made icon. `side` > 0: a square picture of that side, whose size is answered without
// making it; `neverNull`: the made icon is known not to be null.
QIcon SmLazyIcon(std::function<QIcon()> make, int side = 0, bool neverNull = false);
// The themed icon `name`, or `fallback` when the theme has no such icon; looked up when the
// icon is first drawn or asked about.
QIcon SmThemeIcon(const char* name, const QIcon& fallback);

// Whether Caps Lock and Num Lock are on; both off where the system does not tell.
struct SmLockKeys {
  bool caps = false;
  bool num = false;
};
SmLockKeys SmGetLockKeys();

// Around a modal dialog or box: when it ends, the window that was active when it began is made
// active again. A window manager does not always give the focus back when a dialog and a box
// over it close one after the other, and then no window of the program has it.
class CSmActiveWindowReturn {
 public:
  CSmActiveWindowReturn();
  ~CSmActiveWindowReturn();
  CSmActiveWindowReturn(const CSmActiveWindowReturn&) = delete;
  CSmActiveWindowReturn& operator=(const CSmActiveWindowReturn&) = delete;

 private:
  QPointer<QWidget> m_window;
};
