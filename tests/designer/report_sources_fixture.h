#pragma once
// Report windows reading data files in account-set folders (kind 0) or yearly server databases
// (kind 2), under a main frame.
#include "platform/SmDocument.h"
#include "tests/designer/report_db_fixture.h"
#include "tests/designer/rilo_view_fixture.h"

class ReportSourcesTest : public ReportDbTest {
 protected:
  void SetUp() override {
    ReportDbTest::SetUp();
    m_app.m_env.SetConnInfo(m_db->GetConnInfo());
    m_frame.MakeMain();
  }
  void TearDown() override { ReportTemplate()->CloseAllDocuments(); }

  CSmFrameWnd m_frame;
};
