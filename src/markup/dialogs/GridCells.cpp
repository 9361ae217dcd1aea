#include "markup/dialogs/GridCells.h"

#include <QHeaderView>
#include <QTableWidget>

QTableWidget* MakeGrid(int rows, int columns, TGridHeadings headings, QWidget* parent)
{
    auto* grid = new QTableWidget(rows, columns, parent);
    grid->verticalHeader()->setVisible(false);
    grid->horizontalHeader()->setVisible(headings == TGridHeadings::Shown);
    grid->setTabKeyNavigation(true);
    grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->setDefaultSectionSize(80);
    grid->verticalHeader()->setDefaultSectionSize(22);
    return grid;
}

void ResetGrid(QTableWidget& grid, int rows, int columns)
{
    grid.clearContents();
    grid.setColumnCount(columns);
    grid.setRowCount(rows);
}

std::u32string CellText(const QTableWidget& grid, int row, int column)
{
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text().toStdU32String() : std::u32string();
}

std::vector<std::u32string> RowTexts(const QTableWidget& grid, int row)
{
    std::vector<std::u32string> texts;
    texts.reserve(static_cast<std::size_t>(grid.columnCount()));
    for (int column = 0; column < grid.columnCount(); ++column) texts.push_back(CellText(grid, row, column));
    return texts;
}
