#include "core/SmFileLock.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>

#include <QString>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// How often a lock held by another is tried again, a millisecond apart: long enough for a
// holder that is leaving to remove the lock file, short enough not to be noticed.
constexpr int kAttempts = 25;
constexpr int kMakeFailed = -2;

}  // namespace

std::string SmDataFileLockPath(const std::string& dataFile) {
  return dataFile + ".lock";
}

bool CSmFileLock::Lock(const std::string& path, bool exclusive) {
  Unlock();
  m_path = path;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int result = TryLock(exclusive);
    if (result == 1) {
      m_alone = exclusive;
      return true;
    }
    if (result == kMakeFailed) break;
    // Held by another: perhaps one that is leaving. A file that went away is tried at once.
    if (result == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  m_path.clear();
  return false;
}

#ifdef _WIN32

int CSmFileLock::TryLock(bool exclusive) {
  const std::wstring name = QString::fromStdString(m_path).toStdWString();
  HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  // A lock file its last holder is deleting cannot be opened until it is gone.
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_ACCESS_DENIED ? -1 : kMakeFailed;
  OVERLAPPED at{};
  const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  if (!LockFileEx(file, flags, 0, 1, 0, &at)) {
    CloseHandle(file);
    return 0;
  }
  m_handle = file;
  return 1;
}

bool CSmFileLock::TakeAlone() {
  if (m_handle == kNone) return false;
  if (m_alone) return true;
  OVERLAPPED at{};
  UnlockFileEx(m_handle, 0, 1, 0, &at);
  if (LockFileEx(m_handle, LOCKFILE_FAIL_IMMEDIATELY | LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
    m_alone = true;
    return true;
  }
  LockFileEx(m_handle, LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
  return false;
}

void CSmFileLock::Unlock() {
  if (m_handle == kNone) return;
  if (TakeAlone()) {
    FILE_DISPOSITION_INFO remove{TRUE};  // the file goes when the handle closes
    SetFileInformationByHandle(m_handle, FileDispositionInfo, &remove, sizeof remove);
  }
  CloseHandle(m_handle);  // closing the handle releases its lock
  m_handle = kNone;
  m_path.clear();
  m_alone = false;
}

#else

namespace {

// Whether the descriptor is still the file the path names.
bool SameFile(int fd, const std::string& path) {
  struct stat open {};
  struct stat named {};
  return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

}  // namespace

int CSmFileLock::TryLock(bool exclusive) {
  int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  // Another user's lock file may be read-only to this one; it locks all the same.
  if (fd < 0) fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return kMakeFailed;
  const bool locked = ::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
  // The last holder may have removed the file after it was opened here: a lock on it is none.
  const bool same = SameFile(fd, m_path);
  if (!locked || !same) {
    ::close(fd);
    return same ? 0 : -1;
  }
  m_handle = fd;
  return 1;
}

bool CSmFileLock::TakeAlone() {
  if (m_handle == kNone) return false;
  if (m_alone) return true;
  if (::flock(m_handle, LOCK_EX | LOCK_NB) == 0) {
    m_alone = true;
    return true;
  }
  // The change of a lock may drop the shared one on the way: it is taken again.
  ::flock(m_handle, LOCK_SH | LOCK_NB);
  return false;
}

void CSmFileLock::Unlock() {
  if (m_handle == kNone) return;
  // Held alone, nobody can take the file any more; whoever opened it meanwhile sees it gone.
  if (TakeAlone() && SameFile(m_handle, m_path)) ::unlink(m_path.c_str());
  ::close(m_handle);  // closing the descriptor releases its lock
  m_handle = kNone;
  m_path.clear();
  m_alone = false;
}

#endif
