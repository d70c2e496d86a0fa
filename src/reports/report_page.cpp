#include "reports/report_page.h"

QList<TextOperation> ReportPage::texts() const
{
    QList<TextOperation> found;
    for (const DrawOperation& operation : operations) {
        if (const auto* text = std::get_if<TextOperation>(&operation))
            found.append(*text);
    }
    return found;
}

const TextOperation* ReportPage::findText(const QString& text) const
{
    for (const DrawOperation& operation : operations) {
        const auto* drawn = std::get_if<TextOperation>(&operation);
        if (drawn && drawn->text == text)
            return drawn;
    }
    return nullptr;
}

PageOrientation ReportDocument::orientation() const
{
    return pageWidthTwips > pageHeightTwips ? PageOrientation::Landscape : PageOrientation::Portrait;
}

int ReportDocument::pageWidthPixels() const
{
    return twipsToPixels(pageWidthTwips);
}

int ReportDocument::pageHeightPixels() const
{
    return twipsToPixels(pageHeightTwips);
}

int twipsToPixels(int twips)
{
    // 1440 twips and 96 pixels to the inch: 15 twips a pixel.
    return twips / 15;
}
