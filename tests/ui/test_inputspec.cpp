#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "ui/SmEdit.h"
#include "ui/SmInputSpec.h"

namespace {

struct SpecCase {
  const char* text;
  const char* spec;
  int limit1;
  int limit2;
  bool valid;
};

const SpecCase kCases[] = {
    // plain strings and character classes
    {"", "NUMBER 0", 8, 2, true},
    {"abc", "", -1, -1, true},
    {"123456", "STRING DIGIT", 6, -1, true},
    {"1234567", "STRING DIGIT", 6, -1, false},
    {"12a", "STRING DIGIT", 6, -1, false},
    {"甘蔗", "STRING", 4, -1, true},
    {"甘蔗a", "STRING", 4, -1, false},
    {"AbZ", "STRING CHAR", -1, -1, true},
    {"A1", "STRING CHAR", -1, -1, false},
    {"A1", "STRING CHAR_DIGIT", -1, -1, true},
    {"AB", "STRING UPPERCHAR", -1, -1, true},
    {"Ab", "STRING UPPERCHAR", -1, -1, false},
    {"AB#", "STRING 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ#abcdefghijklmnopqrstuvwxyz", -1, -1, true},
    {"AB-", "STRING 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1, -1, false},
    {"农户A", "MDBSTRING", -1, -1, true},
    {"a'b", "MDBSTRING", -1, -1, false},
    {"a|b", "MDBSTRING", -1, -1, false},
    {"[x", "STRING NOT |[]'", -1, -1, false},
    {"a:b", "STRING NOT :*?\"<>|/\\", -1, -1, false},
    {"ab.txt", "STRING NOT :*?\"<>|/\\", -1, -1, true},
    // numbers: digits, decimals and bounds
    {"-", "NUMBER 0", 8, 2, false},
    {"-5", "NUMBER", -1, -1, true},
    {"12.34", "NUMBER 0", 8, 2, true},
    {"12.345", "NUMBER 0", 8, 2, false},
    {"12.340", "NUMBER 0", 8, 2, true},
    {"123456789", "NUMBER 0", 8, 2, false},
    {"00012345678", "NUMBER 0", 8, 2, true},
    {"1.5", "NUMBER", -1, 0, false},
    {"1-2", "NUMBER", -1, -1, false},
    {"1", "NUMBER 100 900", -1, -1, true},
    {"10", "NUMBER 100 900", -1, -1, true},
    {"100", "NUMBER 100 900", -1, -1, true},
    {"901", "NUMBER 100 900", -1, -1, false},
    {"-3", "NUMBER -2", -1, -1, false},
    {"-2", "NUMBER -2", -1, -1, true},
    {"5", "NUMBER - -1", -1, -1, false},
    {"-5", "NUMBER - -1", -1, -1, true},
    {"123456", "NUMBER - 0", -1, -1, true},
    {"-123456", "NUMBER - 0", -1, -1, true},
    {"-7", "NUMBER - +", -1, -1, true},
    {"1,234.5", "DOUBLE", -1, -1, true},
    {"1,234.5", "NUMBER", -1, -1, false},
    // dates
    {"20160229", "TIMESTRING", 111, -1, true},
    {"20150229", "TIMESTRING", 111, -1, false},
    {"20000229", "TIMESTRING", 111, -1, true},
    {"19000229", "TIMESTRING", 111, -1, false},
    {"19890101", "TIMESTRING", 111, -1, false},
    {"1995", "TIMESTRING", 111, -1, true},
    {"199", "TIMESTRING", 111, -1, true},
    {"201613", "TIMESTRING", 110, -1, false},
    {"201612", "TIMESTRING", 110, -1, true},
    {"20161201", "TIMESTRING", 110, -1, false},
    {"0431", "TIMESTRING", 11, -1, false},
    {"20160", "TIMESTRING", 111, -1, true},
    {"2016020", "TIMESTRING", 111, -1, true},
    {"20162", "TIMESTRING", 111, -1, false},
    {"2016024", "TIMESTRING", 111, -1, false},
    {"2016023", "TIMESTRING", 111, -1, false},  // no day 30 or 31 in February
    {"2016043", "TIMESTRING", 111, -1, true},
    {"2016000", "TIMESTRING", 111, -1, false},
    {"20160100", "TIMESTRING", 111, -1, false},
    {"18", "TIMESTRING", 111, -1, false},
    {"0", "TIMESTRING", 111, -1, false},
    {"0229", "TIMESTRING", 11, -1, true},
    {"2016.1", "TIMESTRING", 111, -1, false},
    // hierarchical codes
    {"12-3-4", "CLASSNOSTRING", 2, -1, true},
    {"12-3-4-5", "CLASSNOSTRING", 2, -1, false},
    {"12-03", "CLASSNOSTRING", 2, -1, false},
    {"12--3", "CLASSNOSTRING", 2, -1, false},
    {"12-", "CLASSNOSTRING", 2, -1, true},
    {"-12", "CLASSNOSTRING", 2, -1, false},
    {"12.3.4.5", "CLASSNOSTRING .", -1, -1, true},
    {"12345", "CLASSNOSTRING", 2, 4, false},
    {"1a", "CLASSNOSTRING", 2, -1, false},
};

}  // namespace

TEST(InputSpec, ValidateFieldTextTable) {
  for (const SpecCase& c : kCases) {
    EXPECT_EQ(ValidateFieldText(c.text, "", 0, c.spec, c.limit1, c.limit2), c.valid)
        << "text \"" << c.text << "\" spec \"" << c.spec << "\" " << c.limit1 << "," << c.limit2;
  }
}

TEST(InputSpec, InsertionIntoBaseCountsGbkPositions) {
  // "甘蔗" is 4 GBK bytes: position 2 lies between the two characters.
  EXPECT_TRUE(ValidateFieldText("x", "甘蔗", 2, "STRING", 5, -1));
  EXPECT_FALSE(ValidateFieldText("xy", "甘蔗", 2, "STRING", 5, -1));
  // Only the inserted text is held against the class.
  EXPECT_TRUE(ValidateFieldText("1", "ab", 1, "STRING DIGIT", -1, -1));
  // A separator may end the text only while it is typed at the end.
  EXPECT_FALSE(ValidateFieldText("-", "12", 0, "CLASSNOSTRING", 2, -1));
  EXPECT_TRUE(ValidateFieldText("-", "12", 2, "CLASSNOSTRING", 2, -1));
}

namespace {
void Type(QWidget* w, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
  }
}
}  // namespace

TEST(SmEdit, SwallowsKeystrokesTheSpecRefuses) {
  struct KeyCase {
    const char* spec;
    int limit1, limit2;
    const char* typed;
    const char* result;
  } cases[] = {
      {"STRING DIGIT", 6, -1, "12a34567", "123456"},    {"NUMBER 0", 8, 2, "-12.345", "12.34"},
      {"MDBSTRING", -1, -1, "a'b|[c]", "abc"},          {"NUMBER 100 900", -1, -1, "9019", "90"},
      {"CLASSNOSTRING", 2, -1, "12--3-4-5", "12-3-45"}, {"", -1, -1, "a'1", "a'1"},
  };
  for (const KeyCase& c : cases) {
    CSmEdit edit;
    edit.SetInputType(c.spec, c.limit1, c.limit2);
    Type(&edit, QString::fromUtf8(c.typed));
    EXPECT_EQ(edit.text().toStdString(), c.result) << c.spec;
  }
}

TEST(SmEdit, DatesTypedKeyByKey) {
  // Each date is typed key by key: every key before `refused` (1-based; 0 for none) must be
  // taken, and the key at `refused` must be swallowed, leaving the field as it was.
  struct DateCase {
    int parts;
    const char* date;
    size_t refused;
  } cases[] = {
      {111, "20160101", 0}, {111, "20160229", 0}, {111, "20161231", 0}, {111, "19900909", 0},
      {111, "20000229", 0}, {111, "20991009", 0}, {111, "20160930", 0}, {111, "20150229", 8},
      {111, "20160431", 8}, {111, "20190230", 7}, {111, "20161301", 6}, {111, "20160001", 6},
      {111, "20160100", 8}, {111, "20160140", 7}, {111, "19891231", 3}, {111, "08000101", 1},
      {110, "201602", 0},   {110, "201609", 0},   {11, "0229", 0},      {11, "0105", 0},
      {11, "0230", 3},      {11, "1131", 4},
  };
  for (const DateCase& c : cases) {
    CSmEdit edit;
    edit.SetInputType("TIMESTRING", c.parts);
    const std::string date = c.date;
    const size_t last = c.refused ? c.refused : date.size();
    for (size_t n = 1; n <= last; ++n) {
      Type(&edit, QString::fromStdString(date.substr(n - 1, 1)));
      const size_t kept = n == c.refused ? n - 1 : n;
      ASSERT_EQ(edit.text().toStdString(), date.substr(0, kept)) << c.date << ", key " << n;
    }
  }
}

TEST(SmEdit, ChangeThatBreaksTheSpecIsUndone) {
  CSmEdit edit;
  edit.SetInputType("STRING DIGIT", 6);
  edit.setText("123");
  edit.setText("12a");  // a paste or a program-set value
  EXPECT_EQ(edit.text(), "123");
  edit.setText("");
  EXPECT_EQ(edit.text(), "");
  // A selection is replaced by the typed character before the check.
  edit.setText("123456");
  edit.setSelection(0, 6);
  Type(&edit, "9");
  EXPECT_EQ(edit.text(), "9");
  EXPECT_EQ(edit.InputType(), "STRING DIGIT");
  edit.SetInputType("MDBSTRING");
  EXPECT_EQ(edit.InputType(), "STRING NOT |[]'");
}
