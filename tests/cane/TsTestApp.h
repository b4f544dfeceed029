#pragma once
// An application with the cane module registered as data type 16, its parameters at their
// defaults.
#include <gtest/gtest.h>

#include "app/SmApp.h"
#include "cane/TsDataType.h"

class TsAppTest : public testing::Test {
 protected:
  void SetUp() override {
    m_type = static_cast<CTsDataType*>(m_app.AdoptDataType(std::make_unique<CTsDataType>()));
    m_type->Init();
  }
  void TearDown() override { m_app.m_dataTypes.clear(); }

  CSmApp m_app;
  CTsDataType* m_type = nullptr;
};
