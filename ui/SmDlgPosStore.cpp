#include "ui/SmDlgPosStore.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "core/SmRegKey.h"

namespace {
std::string& ProgramKey() {
  static std::string key = "Software\\reduvor\\Zorv\\5.0";
  return key;
}

CSmDlgPosStore* g_current = nullptr;

std::string RectText(const SmWinRect& r) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d %d %d %d", r.left, r.top, r.right, r.bottom);
  return buf;
}

SmWinRect ParseRect(const std::string& text) {
  int v[4] = {0, 0, 0, 0};
  const char* p = text.c_str();
  for (int& n : v) {
    char* end = nullptr;
    const long value = std::strtol(p, &end, 10);
    if (end == p) break;
    n = static_cast<int>(value);
    p = end;
  }
  return {v[0], v[1], v[2], v[3]};
}

QWidget* MainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<QMainWindow*>(w)) return w;
  return nullptr;
}
}  // namespace

const std::string& SmProgramKey() {
  return ProgramKey();
}
void SmSetProgramKey(const std::string& key) {
  ProgramKey() = key;
}
std::string SmDlgPosKey() {
  return SmProgramKey() + "\\DlgPos";
}

SmWinRect SmWindowRect(const QWidget* window) {
  const QRect r = window->frameGeometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

CSmDlgPosStore& CSmDlgPosStore::Current() {
  static CSmDlgPosStore fallback;
  return g_current ? *g_current : fallback;
}

void CSmDlgPosStore::SetCurrent(CSmDlgPosStore* store) {
  g_current = store;
}

int CSmDlgPosStore::Load() {
  m_keys.clear();
  m_rects.clear();
  std::vector<std::string> names, data;
  if (!CSmRegKey().GetValueList(SM_HKEY_CURRENT_USER, SmDlgPosKey(), names, data)) return 0;
  for (size_t i = 0; i < names.size() && i < data.size(); ++i) {
    m_keys.push_back(std::atoi(names[i].c_str()));
    m_rects.push_back(ParseRect(data[i]));
  }
  return Count();
}

void CSmDlgPosStore::Save() {
  const std::vector<int> keys = m_keys;
  const std::vector<SmWinRect> rects = m_rects;
  Load();
  CSmRegKey reg;
  for (size_t i = 0; i < keys.size(); ++i) {
    SmWinRect stored;
    if (Find(keys[i], &stored) >= 0 && stored.left == rects[i].left && stored.top == rects[i].top)
      continue;  // a change of size alone is not written
    reg.SetValue(SM_HKEY_CURRENT_USER, SmDlgPosKey(), std::to_string(keys[i]), RectText(rects[i]));
  }
  Load();
}

int CSmDlgPosStore::Find(int key, SmWinRect* rect) const {
  for (size_t i = 0; i < m_keys.size(); ++i) {
    if (m_keys[i] != key) continue;
    if (rect) *rect = m_rects[i];
    return static_cast<int>(i);
  }
  return -1;
}

void CSmDlgPosStore::Set(int key, const SmWinRect& rect) {
  const int i = Find(key);
  if (i >= 0) {
    m_rects[i] = rect;
    return;
  }
  m_keys.push_back(key);
  m_rects.push_back(rect);
}

void CSmDlgPosStore::Remember(int key, const QWidget* window) {
  Set(key, SmWindowRect(window));
}

bool CSmDlgPosStore::Restore(int key, QWidget* window) const {
  SmWinRect rect;
  if (Find(key, &rect) < 0) return false;
  window->move(rect.left, rect.top);
  return true;
}

bool CSmDlgPosStore::Place(int key, QWidget* window, int mode, bool useParent,
                           QWidget* reference) const {
  if (Restore(key, window) || mode == 0) return true;
  QWidget* ref = reference;
  if (!ref && !useParent) ref = MainWindow();
  if (!ref) ref = window->parentWidget();
  if (!ref) return false;
  const QRect r = ref->frameGeometry();
  const QSize size = window->frameGeometry().size();
  const int frame = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  const int caption = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
  QPoint topLeft = window->frameGeometry().topLeft();
  if (mode == 10) {
    topLeft = QPoint(r.left() + r.width() - frame - size.width(),
                     r.top() + r.height() - frame - size.height());
  } else if (mode == 11) {
    topLeft = QPoint(r.left() + (r.width() - size.width()) / 2,
                     r.top() + r.height() + 2 * frame + caption);
    const QScreen* screen = window->screen();
    const int screenHeight = screen ? screen->geometry().height() : 0;
    const int excess = topLeft.y() + size.height() - screenHeight;
    if (screen && excess > 0) topLeft.ry() -= excess;
  }
  window->move(topLeft);
  window->update();
  return true;
}
