#include "weighing/SmMSComm.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStandardPaths>
#include <map>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#endif

#include "app/SmWorkstation.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"

namespace {

constexpr int kDefinitionFields = 7;

bool ParityOf(const std::string& letter, QSerialPort::Parity& parity) {
  if (letter.size() != 1) return false;
  switch (letter[0]) {
    case 'N':
    case 'n':
      parity = QSerialPort::NoParity;
      return true;
    case 'E':
    case 'e':
      parity = QSerialPort::EvenParity;
      return true;
    case 'O':
    case 'o':
      parity = QSerialPort::OddParity;
      return true;
    case 'M':
    case 'm':
      parity = QSerialPort::MarkParity;
      return true;
    case 'S':
    case 's':
      parity = QSerialPort::SpaceParity;
      return true;
    default:
      return false;
  }
}

bool DataBitsOf(int bits, QSerialPort::DataBits& dataBits) {
  if (bits < 5 || bits > 8) return false;
  dataBits = static_cast<QSerialPort::DataBits>(bits);
  return true;
}

// The devices the readers of this program hold open, by their real path.
std::map<std::string, const CMSComm*>& HeldDevices() {
  static std::map<std::string, const CMSComm*> held;
  return held;
}

std::string DeviceKey(const std::string& device) {
  const QString canonical = QFileInfo(QString::fromStdString(device)).canonicalFilePath();
  return canonical.isEmpty() ? device : canonical.toStdString();
}

struct LockHolder {
  qint64 pid = 0;
  std::string name;
};

// The program a lock file names: its process number and name come first ("1234\nname\n..." or
// "  1234 name user"); the system's own name of a running process is preferred.
LockHolder ReadLockHolder(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QStringList words =
      QString::fromLocal8Bit(file.read(256)).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
  LockHolder holder;
  holder.pid = words.value(0).toLongLong();
  holder.name = words.value(1).toStdString();
  QFile comm(QStringLiteral("/proc/%1/comm").arg(holder.pid));
  if (holder.pid > 0 && comm.open(QIODevice::ReadOnly))
    holder.name = QString::fromLocal8Bit(comm.readAll()).trimmed().toStdString();
  return holder;
}

// Whether a process of that number is running.
bool ProcessRuns(qint64 pid) {
#ifdef Q_OS_WIN
  (void)pid;
  return true;
#else
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
#endif
}

// The weight field of the reversed model (mode 3), without its sign character.
constexpr size_t kReversedField = 7;

// The sign character of the reversed model: "-" below zero, "+" or "0" otherwise.
bool IsReversedSign(char c) {
  return c == '-' || c == '+' || c == '0';
}

// Digits with at most one leading sign and one point, and at least one digit.
bool IsWeightText(const std::string& text) {
  bool digit = false;
  bool point = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else if ((c != '+' && c != '-') || i != 0) {
      return false;
    }
  }
  return digit;
}

bool StopBitsOf(int bits, QSerialPort::StopBits& stopBits) {
  if (bits == 1)
    stopBits = QSerialPort::OneStop;
  else if (bits == 2)
    stopBits = QSerialPort::TwoStop;
  else
    return false;
  return true;
}

}  // namespace

CMSComm::CMSComm(QObject* parent) : QObject(parent) {
  connect(&m_serial, &QSerialPort::readyRead, this, [this] { OnReceive(m_target); });
  // Handled after the port's own signal has returned, with the reason it gave at the time.
  connect(&m_serial, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !m_serial.isOpen())
      return;
    const std::string reason = m_serial.errorString().toStdString();
    QMetaObject::invokeMethod(
        this, [this, reason] { OnPortLost(reason); }, Qt::QueuedConnection);
  });
}

CMSComm::~CMSComm() {
  SetPortOpen(false);
}

bool CMSComm::SetParams(int port, const std::string& definition) {
  if (CountChar(definition, ',') != kDefinitionFields) return false;
  const auto field = [&](int n) { return GetNthField(definition, n, ','); };
  const int receiveLength = StrToIntDef(field(4), 0);
  const int factor = StrToIntDef(field(6), 0);
  // A hand-edited length or factor below 1 would never deliver or would divide by zero.
  if (receiveLength < 1 || factor < 1) return false;
  m_port = port;
  m_receiveLength = receiveLength;
  m_decoder.SetMode(StrToIntDef(field(5), 0));
  m_scaleFactor = factor;
  // The definition cut before its last comma three times.
  m_settings = definition;
  for (int i = 0; i < 3; ++i) m_settings.erase(m_settings.rfind(','));
  return true;
}

std::string CMSComm::DeviceName() const {
  const std::string device = ReadCommDevice(std::to_string(m_port));
  return device.empty() ? PlatformDevice(m_port) : device;
}

std::string CMSComm::PlatformDevice(int port) {
#ifdef Q_OS_WIN
  return "COM" + std::to_string(port);
#else
  return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

std::string CMSComm::LockFilePath(const std::string& device) {
#ifdef Q_OS_WIN
  (void)device;
  return {};
#else
  QString name = QString::fromStdString(device);
  if (name.startsWith(QStringLiteral("/dev/"))) name = name.mid(5);
  name.replace('/', '_');
  const QStringList folders = {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
                               QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
  for (const QString& folder : folders) {
    const QString path = folder + "/LCK.." + name;
    const QFileInfo place(folder);
    if (place.isReadable() && (QFile::exists(path) || place.isWritable()))
      return path.toStdString();
  }
  return {};
#endif
}

std::string CMSComm::HolderText(const std::string& device) const {
  const auto held = HeldDevices().find(DeviceKey(device));
  if (held != HeldDevices().end() && held->second != this) {
    const std::string& window = held->second->m_holderName;
    return "它正被本程序的" +
           (window.empty() ? std::string("另一个过磅窗口") : "“" + window + "”窗口") +
           "使用。\n本窗口不连接此串口，请在那个窗口读取重量，或关闭它后再打开本窗口。";
  }
  const std::string lock = LockFilePath(device);
  if (lock.empty() || !QFile::exists(QString::fromStdString(lock))) return {};
  const LockHolder holder = ReadLockHolder(lock);
  if (holder.pid <= 0 || holder.pid == QCoreApplication::applicationPid()) return {};
  // The lock of a program that has died (killed, or the machine cut off) holds nothing: the
  // serial port takes it over.
  if (!ProcessRuns(holder.pid)) return {};
  return FormatStr(
      "它正被另一个程序“%s”（进程号 "
      "%lld）使用。\n本窗口不连接此串口，请关闭那个程序后再打开本窗口。",
      holder.name.c_str(), static_cast<long long>(holder.pid));
}

void CMSComm::Release() {
  const auto held = HeldDevices().find(m_held);
  if (held != HeldDevices().end() && held->second == this) HeldDevices().erase(held);
  m_held.clear();
}

std::string CMSComm::WholeWeight(int mode, const std::string& text) {
  std::string weight = text;
  switch (mode) {
    case 1:
    case 2:
    case 4:
    case 6:
      if (weight.size() != 6) return {};
      break;
    case 3: {
      // The reversed model's field is seven characters; a model that sends its sign character
      // has it in front of them after the reversal.
      const bool field = weight.size() == kReversedField;
      const bool signedField =
          weight.size() == kReversedField + 1 && IsReversedSign(weight.front());
      if (!field && !signedField) return {};
      break;
    }
    case 5:
      break;
    default:
      // The raw frame: what follows its start character.
      if (!weight.empty() && weight.front() == CSmFrameDecoder::StartChar(0)) weight.erase(0, 1);
      weight = TrimChars(weight, " \t\r\n");
      break;
  }
  return IsWeightText(weight) ? weight : std::string();
}

double CMSComm::WeightValue(const std::string& shown) {
  std::string text = TrimChars(shown);
  // The indicator's plus sign, which the general number reader refuses.
  if (text.starts_with('+')) {
    text.erase(0, 1);
    if (text.starts_with('-')) return 0;
  }
  return StrToDouble(text);
}

std::string CMSComm::PortCaption() const {
  return "串口" + std::to_string(m_port) + "（" + DeviceName() + "）";
}

bool CMSComm::ApplySettings(QString& reason) {
  const auto field = [&](int n) { return GetNthField(m_settings, n, ','); };
  QSerialPort::Parity parity;
  QSerialPort::DataBits dataBits;
  QSerialPort::StopBits stopBits;
  const int baud = StrToIntDef(field(0), 0);
  if (baud <= 0 || !ParityOf(field(1), parity) || !DataBitsOf(StrToIntDef(field(2), 0), dataBits) ||
      !StopBitsOf(StrToIntDef(field(3), 0), stopBits)) {
    reason = QString::fromStdString("参数“" + m_settings + "”无效");
    return false;
  }
  if (m_serial.setBaudRate(baud) && m_serial.setParity(parity) && m_serial.setDataBits(dataBits) &&
      m_serial.setStopBits(stopBits) && m_serial.setFlowControl(QSerialPort::NoFlowControl))
    return true;
  reason = m_serial.errorString();
  return false;
}

bool CMSComm::OpenPort() {
  m_pending.clear();
  m_decoder.Reset();
  if (m_serial.isOpen()) return true;
  QString reason;
  if (m_port < 1) {
    reason = "未设置串口参数";
  } else {
    const std::string device = DeviceName();
    // Another window of this program reads the device: it is not tried at all.
    std::string holder = HolderText(device);
    if (holder.empty()) {
      m_serial.setPortName(QString::fromStdString(device));
      if (m_serial.open(QIODevice::ReadOnly)) {
        if (ApplySettings(reason)) {
          m_serial.clear(QSerialPort::Input);
          m_pending.clear();
          m_held = DeviceKey(device);
          HeldDevices()[m_held] = this;
          return true;
        }
        m_serial.close();
      } else {
        reason = m_serial.errorString();
        holder = HolderText(device);
      }
    }
    if (!holder.empty()) reason = QString::fromStdString(holder);
  }
  SmMessageBox("无法打开" + PortCaption() + "：" + reason.toStdString(), SM_MB_ICONERROR);
  return false;
}

void CMSComm::SetPortOpen(bool open) {
  if (!open) {
    if (m_serial.isOpen()) m_serial.close();
    Release();
    return;
  }
  if (!m_serial.isOpen()) OpenPort();
}

bool CMSComm::GetPortOpen() const {
  return m_serial.isOpen();
}

void CMSComm::OnReceive(QLineEdit* target) {
  if (!m_serial.isOpen() || m_receiveLength < 1) return;
  m_pending += m_serial.readAll();
  // Like the indicator's input buffer: what it cannot hold is lost.
  if (m_pending.size() > static_cast<qsizetype>(CSmFrameDecoder::kBufferSize))
    m_pending.remove(0, m_pending.size() - CSmFrameDecoder::kBufferSize);
  while (m_pending.size() >= m_receiveLength) {
    const QByteArray delivery = m_pending.left(m_receiveLength);
    m_pending.remove(0, m_receiveLength);
    for (const std::string& text :
         m_decoder.Receive(std::string_view(delivery.constData(), delivery.size()))) {
      const std::string weight = WholeWeight(m_decoder.Mode(), text);
      if (weight.empty()) continue;
      const QString shown = QString::fromStdString(weight);
      if (target) target->setText(shown);
      emit WeightShown(shown);
    }
  }
}

void CMSComm::OnPortLost(const std::string& reason) {
  if (!m_serial.isOpen()) return;
  m_serial.close();
  Release();
  m_pending.clear();
  m_decoder.Reset();
  // The last weight must not be taken to a ticket after the line went away.
  if (m_target) m_target->clear();
  emit PortLost(m_port);
  SmMessageBox(
      PortCaption() + "的连接已中断：" + reason + "。显示的重量已清除，请检查磅秤仪表的连接。",
      SM_MB_ICONERROR);
}
