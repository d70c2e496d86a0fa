#pragma once

#include <QString>

/// `path` as it exists on disk when it differs only in letter case: each
/// part of the path that does not exist as written is looked up without
/// regard to case in its folder ("DATA/kq_data.mdb" finds "data/KQ_DATA.MDB").
/// Files written on a case-insensitive system keep working here. Returns
/// `path` unchanged when it exists or when some part matches nothing; when
/// a folder holds several names that differ only in case, the first in
/// sorted order is taken.
QString findFileIgnoringCase(const QString& path);
