#pragma once

#include "core/query/ServerEntry.h"

#include <QAbstractTableModel>
#include <vector>

namespace cvt {

// The WHOIS server table shown in lvWhois: column 0 is the suffix with the entry's tick box,
// column 1 the server host. A suffix can be edited in place. The no-match mark and the refusal text are kept but not
// shown.
class ServerTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ServerTableModel(QObject* parent = nullptr);

    void setEntries(std::vector<ServerEntry> entries);
    const std::vector<ServerEntry>& entries() const { return m_entries; }
    void setTicked(int row, bool ticked);
    void setHeaders(const QString& suffixCaption, const QString& serverCaption);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    // A tick was set or cleared (by the person or by setTicked).
    void tickChanged(int row);
    // The suffix of a row was edited in place.
    void captionEdited(int row);

private:
    bool isCell(const QModelIndex& index) const;
    std::vector<ServerEntry> m_entries;
    QString m_headers[2];
};

} // namespace cvt
