#include "ui/SmColumnFit.h"

#include <QTreeView>

void SmWidenColumnsToContents(QTreeView* list, std::initializer_list<int> columns) {
  if (!list) return;
  for (int column : columns) {
    const int set = list->columnWidth(column);
    list->resizeColumnToContents(column);
    if (list->columnWidth(column) < set) list->setColumnWidth(column, set);
  }
}
