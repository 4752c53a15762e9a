#include "ui/NameEditDelegate.h"

#include "ui/TypedCharFilter.h"

#include <QLineEdit>

namespace cvt {

QWidget* NameEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setValidator(new TypedCharFilter(&TypedCharFilter::patternChar, line));
    }
    return editor;
}

} // namespace cvt
