#pragma once
// Serial-port settings of this workstation (template 806 "串口参数设置"): the definitions the
// weighing card opens its weighbridge indicators with, one per port, kept in the workstation
// settings as "%d,%c,%d,%d,%d,%d,%d" (baud rate, parity letter, data bits, stop bits, receive
// length, decode mode, scale-down factor), with the device of each port (empty: the
// platform's n-th serial port). Adding, modifying and deleting need right "0008".
#include <string>

#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"

class QComboBox;
class QPushButton;
class CSmEdit;
class CSmCommPortDlg;

// The list of defined ports: no clipboard, and add and delete only with the right.
class CSmCommPortList : public CSmListCtrl {
  Q_OBJECT
 public:
  CSmCommPortList(CSmCommPortDlg* dlg, bool mayChange, QWidget* parent);

  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(unsigned id) override;
  void Delete() override;

 private:
  CSmCommPortDlg* m_dlg;
  bool m_mayChange;
};

class CSmCommPortDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kList = 1000,
    kPort = 1001,
    kBaud = 1002,
    kDataBits = 1003,
    kParity = 1004,
    kStopBits = 1005,
    kAddButton = 1006,
    kFactor = 1007,
    kDecode = 1008,
    kReceiveLength = 1009,
    kDeviceEdit = 1010,
  };

  explicit CSmCommPortDlg(QWidget* parent = nullptr);

  // "&N.新增" (1006); the other commands go to the dialog base.
  bool OnCommand(unsigned id) override;
  // "&M.修改" and Enter modify; the dialog stays open.
  void OnOK() override;

  // Each shows its message and changes nothing stored when it refuses.
  bool AddPort();
  bool ModifyPort();
  bool DeletePort();

 protected:
  void OnInitDialog() override;
  // Where the definitions are kept (the workstation settings).
  virtual bool WritePort(const std::string& port, const std::string& definition);
  virtual bool RemovePort(const std::string& port);

 private:
  // The definition text of the fields; false after "数据不正确！" or "未选择数据！".
  bool BuildDefinition(std::string& definition);
  // The port number of the edit as the settings name it ("01" is port "1").
  std::string PortName() const;
  std::string SelectedPort() const;
  void FillList();
  void SelectRow(int row);
  void LoadSelectedPort();
  void UpdateButtons();
  // The device field shows the platform's port of the number typed while it is empty.
  void UpdateDeviceHint();

  bool m_mayChange;
  CSmCommPortList* m_list;
  CSmEdit* m_port;
  CSmEdit* m_baud;
  CSmEdit* m_dataBits;
  CSmEdit* m_stopBits;
  CSmEdit* m_receiveLength;
  CSmEdit* m_factor;
  CSmEdit* m_device;
  QComboBox* m_parity;
  QComboBox* m_decode;
  QPushButton* m_add;
  QPushButton* m_modify;
};
