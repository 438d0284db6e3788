#include "ui/main/SlipListModel.h"

#include <QFileInfo>

int TSlipListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_file->Count());
}

QVariant TSlipListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_file->Count())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
        return m_file->Uplatnice.at(index.row()).Opis;
    return QVariant();
}

void TSlipListModel::Reset()
{
    beginResetModel();
    endResetModel();
}

void TSlipListModel::SlipChanged(int row)
{
    const QModelIndex i = index(row);
    Q_EMIT dataChanged(i, i);
}

TOpenFile::TOpenFile(TUplFile file) : File(std::move(file)) {}

void TOpenFile::NoteDiskState()
{
    const QFileInfo info(File.FileName);
    if (info.exists()) {
        DiskTime = info.lastModified();
        DiskSize = info.size();
    } else {
        DiskTime = QDateTime();
        DiskSize = -1;
    }
}

bool TOpenFile::ChangedOnDisk() const
{
    if (!DiskTime.isValid())
        return false;
    const QFileInfo info(File.FileName);
    if (!info.exists())
        return false;
    return info.lastModified() != DiskTime || info.size() != DiskSize;
}
