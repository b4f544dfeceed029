#include "ui/SmCalcDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/Caculate.h"
#include "ui/SmEdit.h"

CSmCalcDlg::CSmCalcDlg(bool sendAllowed, const std::string& expression, QWidget* parent)
    : CSmDlg(800, parent), m_sendAllowed(sendAllowed), m_expression(expression) {
  setWindowTitle(QStringLiteral("Vornel计算器"));
  auto* grid = new QGridLayout(this);
  m_exprEdit = new QLineEdit(this);
  m_exprEdit->setObjectName(QString::number(kExpression));
  m_resultEdit = new QLineEdit(this);
  m_resultEdit->setObjectName(QString::number(kResult));
  m_resultEdit->setReadOnly(true);
  grid->addWidget(m_exprEdit, 0, 0, 1, 4);
  grid->addWidget(new QLabel(QStringLiteral("计算结果："), this), 1, 0);
  grid->addWidget(m_resultEdit, 1, 1, 1, 3);
  grid->addWidget(AddButton(kCompute, QStringLiteral("&D.计算")), 2, 0);
  grid->addWidget(AddButton(kClear, QStringLiteral("&C.清空")), 2, 1);
  grid->addWidget(AddButton(kSend, QStringLiteral("&S.送数")), 2, 2);
  grid->addWidget(AddButton(2, QStringLiteral("&X.取消")), 2, 3);
}

void CSmCalcDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  auto* send = static_cast<QPushButton*>(Control(kSend));
  send->setEnabled(m_sendAllowed);
  SetDefaultButton(m_sendAllowed ? kSend : kCompute);
  DoDataExchange(false);
}

void CSmCalcDlg::DoDataExchange(bool save) {
  if (save) {
    m_expression = m_exprEdit->text().toStdString();
    m_result = m_resultEdit->text().toStdString();
    return;
  }
  m_exprEdit->setText(QString::fromStdString(m_expression));
  m_resultEdit->setText(QString::fromStdString(m_result));
}

bool CSmCalcDlg::Compute() {
  DoDataExchange(true);
  CCaculate evaluator;
  double value = 0;
  const bool ok = evaluator.EvalDouble(m_expression, value);
  std::string error;
  if (!ok) {
    int code = 0, position = 0;
    evaluator.GetErrorInfo(code, error, position);
  }
  m_result = ok ? SmNumberToExprText(value) : error;
  if (ok) std::erase(m_result, ',');
  DoDataExchange(false);
  m_exprEdit->setFocus();
  return ok;
}

void CSmCalcDlg::Clear() {
  m_expression.clear();
  m_result.clear();
  DoDataExchange(false);
  m_exprEdit->setFocus();
}

void CSmCalcDlg::Send() {
  if (!m_sendAllowed || !Compute()) return;
  EndOK();
}

bool CSmCalcDlg::OnCommand(unsigned id) {
  switch (id) {
    case kCompute:
      Compute();
      return true;
    case kClear:
      Clear();
      return true;
    case kSend:
      Send();
      return true;
    default:
      return CSmDlg::OnCommand(id);
  }
}
