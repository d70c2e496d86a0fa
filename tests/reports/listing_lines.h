#pragma once

// The detail lines of a recorded listing as a reader sees them: the texts
// below the headings that are not empty, grouped by their height on the page
// and read from left to right.

#include "reports/kqrview.h"
#include "reports/listing_frame.h"

#include <QMap>
#include <QStringList>

/// The detail lines of page `page` of `document`, or of every page when
/// `page` is -1.
inline QList<QStringList> readDetailLines(const ReportDocument& document, int page = -1)
{
    QList<QStringList> lines;
    for (int at = 0; at < document.pages.size(); ++at) {
        if (page >= 0 && at != page)
            continue;
        QMap<int, QMap<int, QString>> byTop;
        for (const TextOperation& text : document.pages.at(at).texts()) {
            if (text.box.top >= ListingFrame::detailTop && !text.text.isEmpty())
                byTop[text.box.top][text.box.left] = text.text;
        }
        for (const QMap<int, QString>& line : byTop)
            lines.append(line.values());
    }
    return lines;
}
