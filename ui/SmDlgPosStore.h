#pragma once
// Remembered dialog positions: one window rectangle per dialog template id, kept in the
// settings store under "<program key>\DlgPos" as values "%d" -> "%d %d %d %d".
#include <QRect>
#include <string>
#include <vector>

class QWidget;

// The program's settings key ("Software\reduvor\Zorv\5.0" until the application sets its own).
const std::string& SmProgramKey();
void SmSetProgramKey(const std::string& key);

struct SmWinRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const SmWinRect&) const = default;
};

class CSmDlgPosStore {
 public:
  // Replaces the content with the values of the settings key; returns the number read.
  int Load();
  // Writes the entries whose key is new or whose top-left corner moved, then reloads.
  void Save();
  // Index of the key, or -1; the rectangle is filled when found.
  int Find(int key, SmWinRect* rect = nullptr) const;
  // Stores the window's current rectangle under the key.
  void Remember(int key, const QWidget* window);
  // Moves the window to the saved top-left corner, keeping its size; false without an entry.
  bool Restore(int key, QWidget* window) const;
  // Mode 0 or a saved entry: restore; 10 bottom-right inside the reference, 11 centred below it.
  bool Place(int key, QWidget* window, int mode, bool useParent, QWidget* reference) const;

  int Count() const { return static_cast<int>(m_keys.size()); }
  void Set(int key, const SmWinRect& rect);

  // The store the dialogs use: the one the application registered, else a process-wide one.
  static CSmDlgPosStore& Current();
  static void SetCurrent(CSmDlgPosStore* store);

 private:
  std::vector<int> m_keys;
  std::vector<SmWinRect> m_rects;
};

std::string SmDlgPosKey();
SmWinRect SmWindowRect(const QWidget* window);
