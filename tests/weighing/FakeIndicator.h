#pragma once
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <string>

// A pseudo-terminal pair standing in for an indicator on a serial cable; the slave side is raw
// so that CR and bytes with the high bit pass unchanged.
class FakeIndicator {
 public:
  FakeIndicator() {
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) return;
    termios raw{};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
    m_name = name;
  }
  ~FakeIndicator() {
    CloseMaster();
    if (m_slave >= 0) close(m_slave);
  }
  FakeIndicator(const FakeIndicator&) = delete;
  FakeIndicator& operator=(const FakeIndicator&) = delete;

  const std::string& Name() const { return m_name; }
  bool Send(const std::string& bytes) const {
    return write(m_master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  void CloseMaster() {
    if (m_master >= 0) close(m_master);
    m_master = -1;
  }

 private:
  int m_master = -1;
  int m_slave = -1;
  std::string m_name;
};
