#pragma once
// Input-type specs of the program's fields ("STRING DIGIT", "NUMBER 0", "TIMESTRING" ...) and the
// one check that decides whether a text is acceptable for a spec. Lengths count GBK bytes.
#include <string>

// True when `base` with `inserted` put in at GBK byte position `pos` is acceptable for the spec.
// Callers that check a whole text pass it as `inserted` with an empty base and position 0.
bool ValidateFieldText(const std::string& inserted, const std::string& base, int pos,
                       const std::string& spec, int limit1, int limit2);

// Helpers of the check, shared with callers that test one rule on its own.
// An optional "-" at the start, digits and at most one "." (none when maxDecimals is 0);
// leading integer zeros and trailing decimal zeros are not counted; -1 means no limit.
bool SmIsNumberText(const std::string& text, int maxIntDigits, int maxDecimals);
// Digit groups joined by single separators, no group after a separator beginning with "0",
// at most maxSeparators separators (no limit when negative); "" passes.
bool SmIsValidLevelCode(const std::string& code, int maxSeparators, char separator);
// Days of a month of the Gregorian calendar; -1 for a month outside 1..12.
int SmDaysInMonth(int year, int month);
