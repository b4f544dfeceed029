#include "admin/SmYearFileInfoDlg.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "app/SmApp.h"
#include "app/SmMainFrm.h"
#include "app/SmOpLog.h"
#include "app/SmWorkstation.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"

namespace {

constexpr int kLogCode = 2;

std::string Text(const CSmEdit* edit) {
  return edit->text().toStdString();
}

QLabel* Caption(const char* text, QWidget* parent) {
  return new QLabel(QString::fromUtf8(text), parent);
}

}  // namespace

CSmYearFileInfoDlg::CSmYearFileInfoDlg(CSmApp& app, QWidget* parent)
    : CSmDlg(816, parent), m_app(app) {
  setWindowTitle(QStringLiteral("年度文件信息"));
  m_file = new QLabel(this);
  m_file->setObjectName(QString::number(kFileLabel));
  m_file->setWordWrap(true);
  m_year = new QLabel(this);
  m_year->setObjectName(QString::number(kYearLabel));
  m_unit = AddEdit(kUnitEdit, 40);
  m_t1 = AddEdit(kT1Edit, 8);
  m_supervisor = AddEdit(kSupervisorEdit, 8);
  m_idCode = AddEdit(kIdCodeEdit, 10);

  auto* logBox = new QGroupBox(QStringLiteral("日志开关"), this);
  m_logOn = AddRadio(kLogOn, QStringLiteral("开"));
  m_logOff = AddRadio(kLogOff, QStringLiteral("关"));
  auto* logRow = new QHBoxLayout(logBox);
  logRow->addWidget(m_logOn);
  logRow->addWidget(m_logOff);
  auto* logGroup = new QButtonGroup(this);
  logGroup->addButton(m_logOn);
  logGroup->addButton(m_logOff);

  auto* backBox = new QGroupBox(QStringLiteral("背景方案"), this);
  m_picture = AddRadio(kPicture, QStringLiteral("&1.图片："));
  m_webPage = AddRadio(kWebPage, QStringLiteral("&2.网页："));
  m_pictureFile = AddEdit(kPictureFileEdit, 260);
  m_pageAddress = AddEdit(kPageEdit, 260);
  m_browse = AddButton(kBrowseButton, QStringLiteral("…"));
  auto* backGrid = new QGridLayout(backBox);
  backGrid->addWidget(m_picture, 0, 0);
  backGrid->addWidget(m_pictureFile, 0, 1);
  backGrid->addWidget(m_browse, 0, 2);
  backGrid->addWidget(m_webPage, 1, 0);
  backGrid->addWidget(m_pageAddress, 1, 1, 1, 2);
  auto* backGroup = new QButtonGroup(this);
  backGroup->addButton(m_picture);
  backGroup->addButton(m_webPage);
  connect(backGroup, &QButtonGroup::buttonClicked, this, [this] { UpdateBackgroundControls(); });

  auto* grid = new QGridLayout(this);
  grid->addWidget(Caption("文    件:", this), 0, 0);
  grid->addWidget(m_file, 0, 1, 1, 3);
  grid->addWidget(Caption("年    度:", this), 1, 0);
  grid->addWidget(m_year, 1, 1);
  grid->addWidget(Caption("单位名称:", this), 2, 0);
  grid->addWidget(m_unit, 2, 1, 1, 3);
  grid->addWidget(Caption("法人代表:", this), 3, 0);
  grid->addWidget(m_t1, 3, 1);
  grid->addWidget(Caption("主管:", this), 3, 2);
  grid->addWidget(m_supervisor, 3, 3);
  grid->addWidget(Caption("标 识 码:", this), 4, 0);
  grid->addWidget(m_idCode, 4, 1);
  grid->addWidget(logBox, 4, 2, 1, 2);
  grid->addWidget(backBox, 5, 0, 1, 4);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_IDOK, QStringLiteral("&S.确认")));
  buttons->addWidget(AddButton(SM_IDCANCEL, QStringLiteral("&X.取消")));
  grid->addLayout(buttons, 6, 0, 1, 4);
}

CSmEdit* CSmYearFileInfoDlg::AddEdit(int id, int limit) {
  auto* edit = new CSmEdit(this);
  edit->setObjectName(QString::number(id));
  edit->SetInputType("MDBSTRING", limit);
  return edit;
}

QRadioButton* CSmYearFileInfoDlg::AddRadio(int id, const QString& text) {
  auto* radio = new QRadioButton(text, this);
  radio->setObjectName(QString::number(id));
  return radio;
}

void CSmYearFileInfoDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  CSmEnvironment& env = m_app.m_env;
  m_file->setText(QString::fromStdString(env.GetDataFileName()));
  m_year->setText(m_app.HasYearFiles() ? QString::number(env.GetYear()) : QString());
  m_unit->setText(QString::fromStdString(env.GetUnitName()));
  m_t1->setText(QString::fromStdString(env.GetSysTabT1()));
  m_supervisor->setText(QString::fromStdString(env.GetSupervisor()));
  m_idCode->setText(QString::fromStdString(env.GetIdCode()));
  (env.IsLogOn() ? m_logOn : m_logOff)->setChecked(true);
  LoadFrameBackground(m_oldMode, m_oldPicture, m_oldPage);
  m_oldMode = m_oldMode == 1 ? 1 : 0;
  (m_oldMode == 0 ? m_picture : m_webPage)->setChecked(true);
  m_pictureFile->setText(QString::fromStdString(m_oldPicture));
  m_pageAddress->setText(QString::fromStdString(m_oldPage));
  UpdateBackgroundControls();
  m_unit->setFocus();
}

void CSmYearFileInfoDlg::UpdateBackgroundControls() {
  const bool picture = m_picture->isChecked();
  m_pictureFile->setEnabled(picture);
  m_browse->setEnabled(picture);
  m_pageAddress->setEnabled(!picture);
}

bool CSmYearFileInfoDlg::OnCommand(unsigned id) {
  if (id == kBrowseButton) {
    OnBrowse();
    return true;
  }
  return CSmDlg::OnCommand(id);
}

void CSmYearFileInfoDlg::OnBrowse() {
  const QString current = QDir::currentPath();
  const std::string path = SmGetOpenFileName(
      "", Text(m_pictureFile),
      "图像文件 (*.bmp *.dib *.jpg *.jpeg *.jpe *.jfif *.gif *.tif *.tiff *.png)");
  QDir::setCurrent(current);
  if (!path.empty()) m_pictureFile->setText(QString::fromStdString(path));
  UpdateBackgroundControls();
}

bool CSmYearFileInfoDlg::WriteFileInfo(const std::string& unit, const std::string& t1,
                                       const std::string& kj, const std::string& code) {
  CSmEnvironment& env = m_app.m_env;
  const std::string oldUnit = env.GetUnitName();
  const std::string oldT1 = env.GetSysTabT1();
  const std::string oldKj = env.GetSupervisor();
  const std::string oldCode = env.GetIdCode();
  const std::string t13 = env.GetSysTabT13();
  env.SetFileInfo(unit, kj, t1, t13);
  env.SetIdCode(code);
  if (env.WriteSysTab()) return true;
  env.SetFileInfo(oldUnit, oldKj, oldT1, t13);
  env.SetIdCode(oldCode);
  return false;
}

bool CSmYearFileInfoDlg::SaveInfo() {
  const struct {
    CSmEdit* edit;
    const char* name;
  } required[] = {{m_unit, "主体"}, {m_t1, "法人代表"}, {m_supervisor, "业务主管"}};
  for (const auto& field : required) {
    if (!TrimChars(Text(field.edit)).empty()) continue;
    return SmRefuse(FormatStr("%s名不能为空！", field.name), field.edit);
  }
  const bool pictureMode = m_picture->isChecked();
  const std::string picture = Text(m_pictureFile);
  const QFileInfo pictureFile(QString::fromStdString(picture));
  // Only a picture the user chose must be there: the one the dialog opened with (the default
  // picture beside the program, say) is no reason to refuse the other changes.
  const bool chosen = picture != m_oldPicture;
  if (pictureMode && chosen && !picture.empty() && (!pictureFile.exists() || pictureFile.isDir()))
    return SmRefuse(FormatStr("背景图像文件<%s>不存在！", picture.c_str()), m_pictureFile);
  CSmEnvironment& env = m_app.m_env;
  const std::string unit = Text(m_unit);
  const std::string t1 = Text(m_t1);
  const std::string kj = Text(m_supervisor);
  const std::string code = Text(m_idCode);
  if (kj != env.GetSupervisor() || t1 != env.GetSysTabT1() || unit != env.GetUnitName() ||
      code != env.GetIdCode()) {
    if (!WriteFileInfo(unit, t1, kj, code)) return false;  // the connection has said why
    CSmOpLog(kLogCode, "修改了数据文件信息");
  }
  if (m_logOn->isChecked() != env.IsLogOn()) {
    env.SetLogOn(m_logOn->isChecked() ? 1 : 0);
    env.SaveLogSwitch();
    m_app.m_opLog.StartWork();
  }
  const int mode = pictureMode ? 0 : 1;
  const std::string page = Text(m_pageAddress);
  if (mode != m_oldMode || picture != m_oldPicture || page != m_oldPage) {
    SaveFrameBackground(mode, picture, page);
    CSmOpLog(kLogCode, "修改了背景方案");
    SmMessageBox("您修改了程序框架背景方案，下次启动软件时方可生效！",
                 SM_MB_OK | SM_MB_ICONINFORMATION);
  }
  if (auto* frame = dynamic_cast<CSmMainFrm*>(m_app.GetMainWnd())) frame->UpdateTitle(true);
  return true;
}
