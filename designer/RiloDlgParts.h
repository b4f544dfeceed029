#pragma once
// Controls the format dialogs share: a pair of spin arrows and the OK and Cancel buttons.
#include <functional>

class CSmDlg;
class QPushButton;
class QWidget;

// Up and down arrows named by `id`; each click calls `step` with whether it went up.
QWidget* RiloSpinArrows(QWidget* parent, int id, const std::function<void(bool up)>& step);
// Buttons 1 "确认(&S)" and 2 "取消(&X)" of the dialog, OK its default, both of one width.
// Returns OK; Cancel is `*cancel`.
QPushButton* RiloOkCancel(CSmDlg* dialog, QPushButton** cancel);
