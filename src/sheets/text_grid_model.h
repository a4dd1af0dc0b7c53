// The table model the area tables share: fixed rows and columns of texts, of which a view
// shows at most the start of a long one (CellText::shown) and edits it whole. An edit
// through a view reaches the table only in a cell the subclass's flags mark editable.
#pragma once

#include <QAbstractTableModel>
#include <QString>

namespace zc {

class TextGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    TextGridModel(int rows, int columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const final;
    int columnCount(const QModelIndex &parent = {}) const final;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const final;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) final;

    // Any cell; out-of-range cells read as empty and ignore writes. A write that changes the
    // text tells the views (display and edit roles).
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);

protected:
    // A valid index of this model inside its rows and columns.
    bool isCell(const QModelIndex &index) const;
    // The stored text of a cell inside the rows and columns.
    virtual const QString &cellText(int row, int column) const = 0;

private:
    int m_rows;
    int m_columns;
};

} // namespace zc
