#pragma once

#include <QStyledItemDelegate>

namespace cvt {

// The editor of a name in the result table (F2): it takes the characters the pattern box takes,
// however they come, so a pasted line break never becomes part of a name.
class NameEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace cvt
