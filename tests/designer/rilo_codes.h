#pragma once
// Coded cell texts written readably in tests: "~" stands for the escape byte and "|" for the
// byte that ends a code's value.
#include <string>
#include <string_view>

inline std::string Coded(std::string_view readable) {
  std::string text(readable);
  for (char& c : text) {
    if (c == '~') c = '\x1b';
    if (c == '|') c = '\x1c';
  }
  return text;
}
