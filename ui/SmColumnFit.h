#pragma once
// Columns of a list that grow to show their longest text whole (never narrower than set).
#include <initializer_list>

class QTreeView;

void SmWidenColumnsToContents(QTreeView* list, std::initializer_list<int> columns);
