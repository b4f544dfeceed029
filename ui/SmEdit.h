#pragma once
// Edit field typed by an input-type spec: keystrokes that would make the text invalid are
// swallowed, any other change that breaks the spec is undone, and F12 opens the calculator.
#include <QLineEdit>
#include <string>

class CSmEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit CSmEdit(QWidget* parent = nullptr);

  // "MDBSTRING" is stored as "STRING NOT |[]'".
  void SetInputType(const std::string& spec, int limit1 = -1, int limit2 = -1);
  const std::string& InputType() const { return m_spec; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnTextUpdate(const QString& text);
  void OpenCalculator();

  std::string m_spec;
  int m_limit1 = -1;
  int m_limit2 = -1;
  std::string m_lastValid;
  bool m_restoring = false;
};

// A number as the program shows it in an expression: at most six decimals, no separators.
std::string SmNumberToExprText(double value);
