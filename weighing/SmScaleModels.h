#pragma once
// The weighing indicator models the weighbridge reader decodes; the list index is the decode
// mode of a serial-port definition.
#include <string>
#include <vector>

// Empties the list and appends the model names in mode order; returns their count.
int FillScaleModelList(std::vector<std::string>& names);
