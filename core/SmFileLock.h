#pragma once
// A lock on a companion file beside a data file, as file databases keep one: every session
// that has the data file open holds it shared, and the data file is deleted only by one who
// gets it alone. The lock belongs to the open file, so two connections of one process exclude
// each other as two workstations do; it ends with the holder, even when the holder crashes.
// The lock file lives only while someone holds it: the last holder out removes it.
#include <string>

class CSmFileLock {
 public:
  CSmFileLock() = default;
  ~CSmFileLock() { Unlock(); }
  CSmFileLock(const CSmFileLock&) = delete;
  CSmFileLock& operator=(const CSmFileLock&) = delete;

  // Takes the lock of `path` shared (with `exclusive` alone); the lock file is made when
  // missing. A holder that is just leaving (and removing the file) is waited for a moment.
  // False when another holds it in a way that excludes this one, or when the lock file cannot
  // be made.
  bool Lock(const std::string& path, bool exclusive);
  // Turns the lock held into one held alone, when nobody else holds it; false otherwise.
  bool TakeAlone();
  // Releases the lock; the lock file goes with it when nobody else holds it.
  void Unlock();
  bool IsLocked() const { return m_handle != kNone; }

 private:
#ifdef _WIN32
  using Handle = void*;
  static inline const Handle kNone = reinterpret_cast<Handle>(-1);  // INVALID_HANDLE_VALUE
#else
  using Handle = int;
  static constexpr Handle kNone = -1;
#endif
  // One try: 1 taken, 0 held by another, -1 the lock file went away meanwhile (try again).
  int TryLock(bool exclusive);

  Handle m_handle = kNone;
  std::string m_path;
  bool m_alone = false;
};

// The lock file of a data file: its path followed by ".lock".
std::string SmDataFileLockPath(const std::string& dataFile);
