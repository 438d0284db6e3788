#pragma once

#include "core/Upl.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QUndoStack>

#include <memory>

// The lines of the slip list: one per slip of a file, its description as the
// text. The file is read at each call, so a reset after a change of the slip
// list is all a view needs.
class TSlipListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit TSlipListModel(TUplFile &file, QObject *parent = nullptr)
        : QAbstractListModel(parent), m_file(&file)
    {}

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Tells the views that the slips were added, removed or reordered.
    void Reset();
    // Tells the views that the description of one slip changed.
    void SlipChanged(int row);

private:
    TUplFile *m_file;
};

// One open slip file of the main window: the file, its slip-list model, its
// undo history and what the disk held when it was last read or written.
struct TOpenFile
{
    explicit TOpenFile(TUplFile file);
    TOpenFile(const TOpenFile &) = delete;
    TOpenFile &operator=(const TOpenFile &) = delete;

    TUplFile File;
    TSlipListModel Model{File};
    QUndoStack Undo;
    // Modification time and size of the file on disk at the last read or
    // write; invalid for a file never saved.
    QDateTime DiskTime;
    qint64 DiskSize = -1;

    // Notes DiskTime and DiskSize from the disk.
    void NoteDiskState();
    // True when the file on disk is not what was last read or written.
    bool ChangedOnDisk() const;
};
