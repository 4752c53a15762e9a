#pragma once

#include "core/ResultTable.h"

#include <QAbstractTableModel>
#include <string>
#include <vector>

namespace cvt {

// The GUI thread's copy of the core result table, shown by lvDomain. It changes only through the
// methods below, which the window adapter calls on the GUI thread in the order in which the core
// table reported its changes; so the view never reads the core table while a worker writes it.
// Edits of a name in place go to the core table, whose report then updates this copy.
class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultTableModel(QObject* parent = nullptr);

    // The table that receives in-place edits of names (none: names are read-only).
    void setSource(ResultTable* table) { m_source = table; }

    void reset(ResultTableSnapshot snapshot);
    void appendColumn(const std::string& caption);
    void removeColumn(std::size_t column);
    void setColumnCaption(std::size_t column, const std::string& caption);
    void appendRows(std::vector<ResultRow> rows);
    void removeRows(const std::vector<std::size_t>& ascendingRows);
    void clearRows();
    void setRowCaption(std::size_t row, const std::string& caption);
    void setCell(std::size_t row, std::size_t cell, const std::string& mark);

    const std::vector<std::string>& captions() const { return m_captions; }
    const std::vector<ResultRow>& rows() const { return m_rows; }
    ResultTableSnapshot snapshot() const { return {m_captions, m_rows}; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    bool isCell(const QModelIndex& index) const;
    ResultTable* m_source = nullptr;
    std::vector<std::string> m_captions;
    std::vector<ResultRow> m_rows;
};

} // namespace cvt
