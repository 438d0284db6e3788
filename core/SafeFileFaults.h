#pragma once

// Tests only: failures injected into the file writers of core/SafeFile.h,
// beside InjectWriteFailure there.

// Every flush of a written file to the disk (fsync, before the rename) fails
// with errnum, as a disk that lost the data answers; Unix only. errnum 0 ends
// the failure.
void InjectSyncFailure(int errnum);
