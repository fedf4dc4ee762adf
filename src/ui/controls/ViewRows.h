#pragma once

#include "ui/views/ViewServices.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// The rows of a Repeater whose delegates take everything as required properties: each row
// offers `services` and its `entry` of `entries`. A delegate cannot name the ids
// around its Repeater (qmllint of Qt 6.4 has no way to see them), so what it needs comes in
// through the model instead.
class ViewRows : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ViewServices *services READ services WRITE setServices NOTIFY changed)
    Q_PROPERTY(QVariantList entries READ entries WRITE setEntries NOTIFY changed)

public:
    enum Role { ServicesRole = Qt::UserRole + 1, EntryRole };

    explicit ViewRows(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    ViewServices *services() const { return m_services; }
    void setServices(ViewServices *services);
    const QVariantList &entries() const { return m_entries; }
    void setEntries(const QVariantList &entries);

Q_SIGNALS:
    void changed();

private:
    QPointer<ViewServices> m_services;
    QVariantList m_entries;
};
