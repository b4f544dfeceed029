#pragma once
// Input-type specs of the program's fields ("STRING DIGIT", "NUMBER 0", "TIMESTRING" ...) and the
// one check that decides whether a text is acceptable for a spec. Lengths count GBK bytes.
#include <string>

// True when `base` with `inserted` put in at GBK byte position `pos` is acceptable for the spec.
// Callers that check a whole text pass it as `inserted` with an empty base and position 0.
bool ValidateFieldText(const std::string& inserted, const std::string& base, int pos,
                       const std::string& spec, int limit1, int limit2);
