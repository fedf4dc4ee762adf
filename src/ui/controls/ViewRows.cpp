#include "ui/controls/ViewRows.h"

ViewRows::ViewRows(QObject *parent) : QAbstractListModel(parent) {}

int ViewRows::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant ViewRows::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case ServicesRole:
        return QVariant::fromValue(m_services.data());
    case EntryRole:
        return m_entries.at(index.row());
    default:
        return {};
    }
}

QHash<int, QByteArray> ViewRows::roleNames() const
{
    return {{ServicesRole, "services"}, {EntryRole, "entry"}};
}

void ViewRows::setServices(ViewServices *services)
{
    if (services == m_services)
        return;
    beginResetModel();
    m_services = services;
    endResetModel();
    Q_EMIT changed();
}

void ViewRows::setEntries(const QVariantList &entries)
{
    if (entries == m_entries)
        return;
    beginResetModel();
    m_entries = entries;
    endResetModel();
    Q_EMIT changed();
}
