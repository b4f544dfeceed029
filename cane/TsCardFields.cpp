#include "cane/TsCardFields.h"

#include <QGridLayout>
#include <QLabel>

#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"

CSmEdit* TsAddCardField(QWidget* dlg, QGridLayout* grid, int row, int col, int id,
                        const std::string& caption, const std::string& type, int limit,
                        int decimals) {
  auto* edit = new CSmEdit(dlg);
  edit->setObjectName(QString::number(id));
  edit->SetInputType(type, limit, decimals);
  if (type != "NUMBER") edit->setMaxLength(limit);
  grid->addWidget(new QLabel(QString::fromStdString(caption), dlg), row, 2 * col);
  grid->addWidget(edit, row, 2 * col + 1);
  return edit;
}

bool TsFixOwnPart(std::string& own, int length) {
  std::string fixed = own;
  if (FixNumberText(fixed, length, false) && static_cast<int>(fixed.size()) == length &&
      StrToLongDef(own, 0) > 0) {
    own = fixed;
    return true;
  }
  SmMessageBox("代码不合适!", SM_MB_ICONERROR);
  return false;
}

bool TsCheckName(const std::string& name) {
  if (!TrimChars(name).empty()) return true;
  SmMessageBox("名称不能为空，请重输!", SM_MB_ICONERROR);
  return false;
}

bool TsCheckCodeAndName(CSmEdit* own, CSmEdit* name, int length) {
  std::string code = own->text().toStdString();
  if (!TsFixOwnPart(code, length)) {
    own->setFocus();
    return false;
  }
  own->setText(QString::fromStdString(code));
  if (TsCheckName(name->text().toStdString())) return true;
  name->setFocus();
  return false;
}

std::string TsFieldNumber(double value, int decimals) {
  return ReplaceAll(FormatNumber(value, 0, 0, decimals), ",", "");
}
