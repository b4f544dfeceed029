#include "ui/SmEdit.h"

#include <QKeyEvent>
#include <cstdlib>

#include "core/SmNumber.h"
#include "platform/SmMessage.h"
#include "ui/SmCalcDlg.h"
#include "ui/SmInputSpec.h"

std::string SmNumberToExprText(double value) {
  std::string text = FormatNumber(value, 0, 0, 6, true);
  std::erase(text, ',');
  return text;
}

CSmEdit::CSmEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, &CSmEdit::OnTextUpdate);
}

void CSmEdit::SetInputType(const std::string& spec, int limit1, int limit2) {
  m_spec = spec == "MDBSTRING" ? std::string("STRING NOT |[]'") : spec;
  m_limit1 = limit1;
  m_limit2 = limit2;
}

void CSmEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F12) {
    OpenCalculator();
    return;
  }
  const QString typed = event->text();
  const bool control =
      typed.isEmpty() || typed.at(0).category() == QChar::Other_Control ||
      (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  if (control || m_spec.empty()) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  QString wouldBe = text();
  if (hasSelectedText())
    wouldBe.replace(selectionStart(), selectedText().size(), typed);
  else
    wouldBe.insert(cursorPosition(), typed);
  if (!ValidateFieldText(wouldBe.toStdString(), {}, 0, m_spec, m_limit1, m_limit2)) {
    event->accept();  // swallowed
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void CSmEdit::OnTextUpdate(const QString& text) {
  if (m_restoring) return;
  const std::string now = text.toStdString();
  if (ValidateFieldText(now, {}, 0, m_spec, m_limit1, m_limit2)) {
    m_lastValid = now;
    return;
  }
  if (now == m_lastValid) return;
  m_restoring = true;
  setText(QString::fromStdString(m_lastValid));
  m_restoring = false;
}

void CSmEdit::OpenCalculator() {
  const bool sendAllowed = !isReadOnly() && isEnabled() && isVisible();
  const double value = std::atof(text().toStdString().c_str());
  CSmCalcDlg calc(sendAllowed, SmNumberToExprText(value), this);
  if (calc.DoModal() == SM_IDOK && sendAllowed) setText(QString::fromStdString(calc.ResultText()));
}
