#pragma once

#include "qt_printers.h"

#include <QDate>
#include <QTime>

#include <ostream>

// Readable failure messages for the dates and times these tests compare.
inline void PrintTo(const QDate& date, std::ostream* out)
{
    *out << (date.isValid() ? date.toString(Qt::ISODate).toStdString() : std::string("(no date)"));
}

inline void PrintTo(const QTime& time, std::ostream* out)
{
    *out << (time.isValid() ? time.toString(Qt::ISODate).toStdString() : std::string("(no time)"));
}
