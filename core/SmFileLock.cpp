#include "core/SmFileLock.h"

#ifdef _WIN32
#include <windows.h>

#include <QString>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

std::string SmDataFileLockPath(const std::string& dataFile) {
  return dataFile + ".lock";
}

#ifdef _WIN32

bool CSmFileLock::Lock(const std::string& path, bool exclusive) {
  Unlock();
  const std::wstring name = QString::fromStdString(path).toStdWString();
  HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED at{};
  const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  if (!LockFileEx(file, flags, 0, 1, 0, &at)) {
    CloseHandle(file);
    return false;
  }
  m_handle = file;
  return true;
}

void CSmFileLock::Unlock() {
  if (m_handle == kNone) return;
  CloseHandle(m_handle);  // closing the handle releases its lock
  m_handle = kNone;
}

#else

bool CSmFileLock::Lock(const std::string& path, bool exclusive) {
  Unlock();
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  // Another user's lock file may be read-only to this one; it locks all the same.
  if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  m_handle = fd;
  return true;
}

void CSmFileLock::Unlock() {
  if (m_handle == kNone) return;
  ::close(m_handle);  // closing the descriptor releases its lock
  m_handle = kNone;
}

#endif
