#include "ui/SmCalcDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cctype>
#include <cstdlib>

#include "ui/SmEdit.h"

namespace {

// Plain arithmetic: numbers, + - * /, unary minus and brackets.
class ArithmeticReader {
 public:
  explicit ArithmeticReader(const std::string& text) : m_text(text) {}

  bool Read(double& value, std::string& error) {
    if (!Sum(value) || (Skip(), m_pos != m_text.size())) {
      error = m_error.empty() ? "表达式错误" : m_error;
      return false;
    }
    return true;
  }

 private:
  void Skip() {
    while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
      ++m_pos;
  }
  bool Take(char c) {
    Skip();
    if (m_pos < m_text.size() && m_text[m_pos] == c) {
      ++m_pos;
      return true;
    }
    return false;
  }
  bool Sum(double& value) {
    if (!Product(value)) return false;
    for (;;) {
      double rhs = 0;
      if (Take('+')) {
        if (!Product(rhs)) return false;
        value += rhs;
      } else if (Take('-')) {
        if (!Product(rhs)) return false;
        value -= rhs;
      } else {
        return true;
      }
    }
  }
  bool Product(double& value) {
    if (!Factor(value)) return false;
    for (;;) {
      double rhs = 0;
      if (Take('*')) {
        if (!Factor(rhs)) return false;
        value *= rhs;
      } else if (Take('/')) {
        if (!Factor(rhs)) return false;
        if (rhs == 0) {
          m_error = "除数为零";
          return false;
        }
        value /= rhs;
      } else {
        return true;
      }
    }
  }
  bool Factor(double& value) {
    if (Take('-')) {
      if (!Factor(value)) return false;
      value = -value;
      return true;
    }
    if (Take('(')) return Sum(value) && Take(')');
    Skip();
    const char* start = m_text.c_str() + m_pos;
    char* end = nullptr;
    value = std::strtod(start, &end);
    if (end == start) return false;
    m_pos += static_cast<size_t>(end - start);
    return true;
  }

  const std::string& m_text;
  size_t m_pos = 0;
  std::string m_error;
};

SmCalcEvaluator& Evaluator() {
  static SmCalcEvaluator evaluator = [](const std::string& expr, double& value,
                                        std::string& error) {
    return ArithmeticReader(expr).Read(value, error);
  };
  return evaluator;
}

}  // namespace

void SmSetCalcEvaluator(SmCalcEvaluator evaluator) {
  Evaluator() = std::move(evaluator);
}

CSmCalcDlg::CSmCalcDlg(bool sendAllowed, const std::string& expression, QWidget* parent)
    : CSmDlg(800, parent), m_sendAllowed(sendAllowed), m_expression(expression) {
  setWindowTitle(QStringLiteral("Vornel计算器"));
  auto* grid = new QGridLayout(this);
  m_exprEdit = new QLineEdit(this);
  m_exprEdit->setObjectName("1000");
  m_resultEdit = new QLineEdit(this);
  m_resultEdit->setObjectName("1004");
  m_resultEdit->setReadOnly(true);
  grid->addWidget(m_exprEdit, 0, 0, 1, 4);
  grid->addWidget(new QLabel(QStringLiteral("计算结果："), this), 1, 0);
  grid->addWidget(m_resultEdit, 1, 1, 1, 3);
  grid->addWidget(AddButton(1003, QStringLiteral("&D.计算")), 2, 0);
  grid->addWidget(AddButton(1002, QStringLiteral("&C.清空")), 2, 1);
  grid->addWidget(AddButton(1001, QStringLiteral("&S.送数")), 2, 2);
  grid->addWidget(AddButton(2, QStringLiteral("&X.取消")), 2, 3);
}

void CSmCalcDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  auto* send = static_cast<QPushButton*>(Control(1001));
  send->setEnabled(m_sendAllowed);
  SetDefaultButton(m_sendAllowed ? 1001 : 1003);
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
  double value = 0;
  std::string error;
  const bool ok = Evaluator()(m_expression, value, error);
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
    case 1003:
      Compute();
      return true;
    case 1002:
      Clear();
      return true;
    case 1001:
      Send();
      return true;
    default:
      return CSmDlg::OnCommand(id);
  }
}
