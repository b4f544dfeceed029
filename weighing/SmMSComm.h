#pragma once
// The serial line to one weighing indicator. It opens the port with the settings of the port's
// definition, takes the bytes in deliveries of the receive length, cuts and decodes them by the
// indicator model and hands each whole weight over as its text through WeightShown (and into a
// display field, where one is set).
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSerialPort>
#include <string>

#include "weighing/SmFrameDecoder.h"

#include <QLineEdit>

class CMSComm : public QObject {
  Q_OBJECT
 public:
  explicit CMSComm(QObject* parent = nullptr);
  ~CMSComm() override;

  // Takes a definition "baud,parity,data bits,stop bits,receive length,decode mode,factor".
  // Any other number of fields, or a receive length or factor below 1, changes nothing and
  // answers false.
  bool SetParams(int port, const std::string& definition);
  // Configures and opens the port, discarding pending input and the receive buffer. A port that
  // cannot be opened is reported once, naming the port and the system's reason, and stays
  // closed; a port another window of this program or another program holds names the holder.
  bool OpenPort();
  void SetPortOpen(bool open);
  bool GetPortOpen() const;

  // The field the decoded weight is shown in; received data are decoded into it as they come.
  void SetTarget(QLineEdit* target) { m_target = target; }
  // How a refused second window names the window that holds the port ("称毛重").
  void SetHolderName(const std::string& name) { m_holderName = name; }
  // Takes every complete delivery waiting on the port and shows the decoded weight in `target`;
  // a decoded text that is no whole weight leaves the last one shown.
  void OnReceive(QLineEdit* target);
  // The weight a decoded text of the mode gives the card: the text when it has the model's full
  // width (six characters; seven for mode 3, or eight when the indicator sends its sign
  // character "-", "+" or "0" in front) and holds only digits, a leading sign and one point;
  // the binary model's six positions of that kind; the raw mode's frame after its start
  // character, blanks trimmed. Empty for anything else (a cut frame, stray bytes).
  static std::string WholeWeight(int mode, const std::string& text);
  // The number a shown weight stands for, as 送数 takes it (before the scale-down factor): the
  // text without blanks at either end and without the indicator's "+", read as a number; 0 for
  // a text that is no number.
  static double WeightValue(const std::string& shown);

  int GetPort() const { return m_port; }
  const std::string& GetSettings() const { return m_settings; }
  int GetReceiveLength() const { return m_receiveLength; }
  int GetDecodeMode() const { return m_decoder.Mode(); }
  int GetScaleFactor() const { return m_scaleFactor; }
  // The device of the port: its own setting, else the platform's n-th serial port.
  std::string DeviceName() const;
  // The platform's serial port of number `port` ("/dev/ttyS0" for port 1 here, "COM1" on
  // Windows).
  static std::string PlatformDevice(int port);
  // The lock file the serial port layer keeps for a device while a program holds it (where
  // the platform has such files): "LCK.." and the device's name under /dev, in the first lock
  // folder that is readable and holds it or can take it. Empty where there is none.
  static std::string LockFilePath(const std::string& device);

 signals:
  // A whole weight was received: the exact text to show and to take to a ticket.
  void WeightShown(const QString& text);
  // The open port failed (device gone, read error): the last weight no longer holds.
  void PortLost(int port);

 private:
  bool ApplySettings(QString& reason);
  // Why the device cannot be opened when someone holds it: this program's window or another
  // program, named; empty when nobody is known to hold it.
  std::string HolderText(const std::string& device) const;
  void Release();
  // A working port failed (device gone, read error): closed, display emptied, user told.
  void OnPortLost(const std::string& reason);
  std::string PortCaption() const;

  int m_port = 0;
  std::string m_settings;
  int m_receiveLength = 0;
  int m_scaleFactor = 0;
  CSmFrameDecoder m_decoder;
  QSerialPort m_serial;
  QByteArray m_pending;  // read from the port, short of a whole delivery
  QPointer<QLineEdit> m_target;
  std::string m_holderName;
  std::string m_held;  // the device this reader holds open, as registered for the program
};
