#pragma once

#include "core/QueryEvents.h"
#include "core/ResultTable.h"
#include "core/ServerEntry.h"

#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

namespace cvt {

// The window's result table and its model for lvDomain: the only copy of the results. It lives on
// the GUI thread; the query engine's events reach it there in batches (appendRows, applyCells), and
// the popup commands change it through the methods below. A failed or refused cell shows its
// reason as a tooltip.
class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultTableModel(QObject* parent = nullptr);

    const ResultTable& table() const { return m_table; }
    const std::vector<std::string>& captions() const { return m_table.captions(); }
    const std::vector<ResultRow>& rows() const { return m_table.rows(); }
    ResultTableSnapshot snapshot() const { return m_table.snapshot(); }

    void setColumnCaption(std::size_t column, const std::string& caption);
    // The column upkeep (ResultTable::alignSuffixColumns).
    void alignSuffixColumns(const std::vector<ServerEntry>& entries);
    void appendRows(const std::vector<AppendedRow>& rows);
    // Writes each answer under its suffix's column; answers without a row or a column are dropped.
    void applyCells(const std::vector<AnsweredCell>& cells);
    void clearRows();
    void removeRowsIf(const std::function<bool(const ResultRow&)>& predicate);
    void appendRow(const std::string& caption, const std::vector<std::string>& cells);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    bool isCell(const QModelIndex& index) const;
    ResultTable m_table;
};

} // namespace cvt
