#include "lists/UnsavedChanges.h"

#include "lists/CarnivalList.h"

UnsavedChanges::UnsavedChanges(CarnivalList& list, QObject* parent) : QObject(parent)
{
    connect(&list, &QAbstractItemModel::dataChanged, this, &UnsavedChanges::markModified);
    connect(&list, &QAbstractItemModel::rowsInserted, this, &UnsavedChanges::markModified);
    connect(&list, &QAbstractItemModel::rowsRemoved, this, &UnsavedChanges::markModified);
    connect(&list, &QAbstractItemModel::modelReset, this, &UnsavedChanges::markModified);
}

void UnsavedChanges::markSaved()
{
    m_modified = false;
    emit changed();
}

void UnsavedChanges::markModified()
{
    m_modified = true;
    emit changed();
}
