#pragma once
// The calculator (template 800): evaluates an expression with the program's expression evaluator
// and can send the result back.
#include <string>

#include "ui/SmDlg.h"

class QLineEdit;

class CSmCalcDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kExpression = 1000,
    kSend = 1001,
    kClear = 1002,
    kCompute = 1003,
    kResult = 1004,
  };

  CSmCalcDlg(bool sendAllowed, const std::string& expression, QWidget* parent = nullptr);

  const std::string& ResultText() const { return m_result; }
  const std::string& Expression() const { return m_expression; }

  // Evaluates the expression into the result text; false when it does not evaluate.
  bool Compute();
  void Clear();
  // Computes and, on success, ends the dialog with OK.
  void Send();
  bool OnCommand(unsigned id) override;

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  bool m_sendAllowed;
  std::string m_expression;
  std::string m_result;
  QLineEdit* m_exprEdit;
  QLineEdit* m_resultEdit;
};
