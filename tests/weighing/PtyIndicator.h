#pragma once
// An indicator on port 1 through a pseudo-terminal: frames of a text mode, by default mode 1
// (the STX indicator) read a frame at a time as the indicator player sends them, the other
// modes a byte at a time; the port is unset again at the end.
#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>

#include <string>

#include "app/SmWorkstation.h"
#include "core/SmString.h"
#include "tests/weighing/FakeIndicator.h"
#include "weighing/SmFrameDecoder.h"

class PtyIndicator {
 public:
  explicit PtyIndicator(int factor, int mode = 1) : m_mode(mode) {
    const size_t length = mode == 1 ? CSmFrameDecoder::EncodeFrame(1, "000000").size() : 1;
    m_ready = !m_line.Name().empty() && WriteCommDevice("1", m_line.Name()) &&
              WriteCommPort("1", FormatStr("9600,N,8,1,%zu,%d,%d", length, mode, factor));
  }
  ~PtyIndicator() {
    DeleteCommPort("1");
    WriteCommDevice("1", "");
  }

  bool Ready() const { return m_ready; }
  bool Send(const std::string& bytes) const { return m_line.Send(bytes); }
  // Sends `frame` until the display shows `shown` (five seconds at most).
  bool SendUntilShown(const std::string& frame, const std::string& shown,
                      QLineEdit* display) const {
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
      if (!m_line.Send(frame)) return false;
      QApplication::processEvents(QEventLoop::AllEvents, 20);
      if (display->text().toStdString() == shown) return true;
    }
    return false;
  }
  // Sends the weight field in frames of the mode until the display shows it.
  bool Show(const std::string& field, QLineEdit* display) const {
    return SendUntilShown(CSmFrameDecoder::EncodeFrame(m_mode, field), field, display);
  }

 private:
  FakeIndicator m_line;
  int m_mode;
  bool m_ready = false;
};
