#include "app/SmAboutDlg.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/SmApp.h"
#include "app/SmWorkstation.h"
#include "platform/SmCommandIds.h"

namespace {

QLabel* AddStatic(QWidget* parent, int id, QLayout* layout) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::number(id));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(label);
  return label;
}
}  // namespace

CSmAboutDlg::CSmAboutDlg(CSmApp* app, QWidget* parent) : CSmDlg(807, parent), m_app(app) {
  if (app) {
    m_title = app->GetProductTitle();
    m_version = "(" + app->GetVersionText() + "版)";
  }
  auto* layout = new QVBoxLayout(this);
  QLabel* title = AddStatic(this, kTitle, layout);
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.3);
  title->setFont(bold);
  AddStatic(this, kVersion, layout);
  QLabel* info = AddStatic(this, kInfo, layout);
  info->setWordWrap(true);
  info->setMinimumWidth(320);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, "确定"));
  layout->addLayout(buttons);
}

std::string CSmAboutDlg::TemplateText() {
  return "甘蔗收购结算管理系统\n版权所有 (C) Vornel公司";
}

void CSmAboutDlg::OnInitDialog() {
  setWindowTitle(QString::fromStdString("关于" + m_title));
  m_info = GetDistributorText(1);
  if (m_info.empty()) {
    m_info = TemplateText() + "\n\n最后修改时间：";
    const std::string program = m_app ? m_app->GetProgramPath() : std::string();
    const QFileInfo file(QString::fromStdString(program));
    if (file.exists()) {
      m_info += file.lastModified().toLocalTime().toString("yyyy-MM-dd hh:mm:ss").toStdString();
    }
  }
  DoDataExchange(false);
  CSmDlg::OnInitDialog();
}

void CSmAboutDlg::DoDataExchange(bool save) {
  if (save) return;
  for (auto [id, text] :
       {std::pair{kTitle, &m_title}, std::pair{kVersion, &m_version}, std::pair{kInfo, &m_info}}) {
    if (auto* label = qobject_cast<QLabel*>(Control(id))) {
      label->setText(QString::fromStdString(*text));
    }
  }
}
