#pragma once
// Editable grids of free text for the table and selection list dialogs: no header cells unless
// asked for, Tab moving from cell to cell, and the cells' texts read row by row.

#include <QStringList>
#include <string>
#include <vector>

class QTableWidget;
class QWidget;

enum class TGridHeadings { Hidden, Shown };

QTableWidget* MakeGrid(int rows, int columns, TGridHeadings headings, QWidget* parent);
// Every cell emptied, then the grid set to the given size.
void ResetGrid(QTableWidget& grid, int rows, int columns);
// A cell's text, empty when never typed into.
std::u32string CellText(const QTableWidget& grid, int row, int column);
std::vector<std::u32string> RowTexts(const QTableWidget& grid, int row);
