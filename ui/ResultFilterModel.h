#pragma once

#include "core/query/Mark.h"

#include <QSortFilterProxyModel>
#include <QString>
#include <optional>

namespace cvt {

class ResultTableModel;

// What the result table shows of the one table underneath: the rows holding at least one cell with
// the chosen mark (every row when none is chosen) and whose name contains the filter text, in the order of the column
// last clicked (candidate order until then). It maps rows, never copies them, so the run may go on appending
// underneath.
class ResultFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit ResultFilterModel(ResultTableModel& source, QObject* parent = nullptr);

    // The filter box's choices in order: every row, then free, registered and failed.
    static std::optional<Mark> kindAt(int choice);

    void setKind(std::optional<Mark> kind);
    std::optional<Mark> kind() const { return m_kind; }
    // Names containing the text, ignoring letter case; empty shows every name.
    void setNameText(const QString& text);
    const QString& nameText() const { return m_nameText; }

    // The source rows of the proxy rows, in the order given.
    std::size_t sourceRow(int proxyRow) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    ResultTableModel& m_source;
    std::optional<Mark> m_kind;
    QString m_nameText;
    std::string m_nameBytes; // m_nameText folded to lower case, as UTF-8
};

} // namespace cvt
