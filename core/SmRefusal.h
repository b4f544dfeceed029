#pragma once
// Why a check of a record refused it: the field it concerns, the text the clerk reads, and
// whether it stops the work or is a warning he may pass ("...继续吗？"). A check returns one
// without widgets; the window shows it (SmShowRefusal) and puts the clerk on the field.
#include <string>
#include <utility>

// The field a refusal concerns, in the terms of the check that made it (a field of the record,
// or the id of a dialog's control); kSmNoField when it concerns none.
constexpr int kSmNoField = -1;

struct SmRefusal {
  enum class Kind { None, Stop, Warning };

  static SmRefusal Stop(int field, std::string text) {
    return {Kind::Stop, field, std::move(text)};
  }
  static SmRefusal Warning(int field, std::string text) {
    return {Kind::Warning, field, std::move(text)};
  }

  // True when there is something to show.
  explicit operator bool() const { return kind != Kind::None; }
  bool IsStop() const { return kind == Kind::Stop; }

  Kind kind = Kind::None;
  int field = kSmNoField;
  std::string text;  // the box's whole text
};
