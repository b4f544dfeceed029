#include "ui/SmPosDlg.h"

#include <QGuiApplication>
#include <QScreen>

#include "ui/SmDlgPosStore.h"

namespace {
bool InWorkArea(const QPoint& point) {
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().contains(point)) return true;
  return false;
}

void CentreOnOwner(QWidget* dialog) {
  const QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
  QRect area;
  if (owner && owner->isVisible())
    area = owner->frameGeometry();
  else if (dialog->screen())
    area = dialog->screen()->availableGeometry();
  else
    return;
  QRect frame = dialog->frameGeometry();
  frame.moveCenter(area.center());
  dialog->move(frame.topLeft());
}
}  // namespace

CSmPosDlg::CSmPosDlg(unsigned templateId, CSmApp* app, QWidget* parent, unsigned iconId)
    : CSmAppDlg(templateId, app, parent, iconId) {}

void CSmPosDlg::OnInitDialog() {
  CSmAppDlg::OnInitDialog();
  CSmDlgPosStore& store = CSmDlgPosStore::Current();
  const int key = static_cast<int>(TemplateId());
  if (m_placementMode == 0)
    store.Restore(key, this);
  else
    store.Place(key, this, m_placementMode, false, nullptr);
  const QRect frame = frameGeometry();
  if (!InWorkArea(frame.center()) || !InWorkArea(frame.topLeft())) CentreOnOwner(this);
}

void CSmPosDlg::OnOK() {
  UpdateData(true);
  if (!ValidateAndSave()) return;
  CSmDlgPosStore::Current().Remember(static_cast<int>(TemplateId()), this);
  EndOK();
}

void CSmPosDlg::OnCancel() {
  if (m_saveOnCancel) CSmDlgPosStore::Current().Remember(static_cast<int>(TemplateId()), this);
  CSmAppDlg::OnCancel();
}
