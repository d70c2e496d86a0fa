#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <variant>

// The recorded form of a listing: pages of drawing operations in pixels of a
// 96-per-inch page. The report writer fills it; the renderers of the Qt front
// end (PDF file, printer, preview) draw it. Plain data, no Qt Gui types.

/// A colour as red, green and blue components from 0 to 255.
struct RgbColor {
    int red = 0;
    int green = 0;
    int blue = 0;

    static RgbColor black() { return {0, 0, 0}; }
    static RgbColor white() { return {255, 255, 255}; }
    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

/// The font that every following text uses, as the listings name it
/// ("Courier New", "MS Sans Serif", "Arial"); the renderers map the names to
/// installed fonts.
struct FontState {
    QString name = QStringLiteral("Courier New");
    double size = 8;  ///< points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    RgbColor foreground = RgbColor::black();
    RgbColor background = RgbColor::white();
    bool transparent = true;  ///< false: the text box is filled with `background`

    friend bool operator==(const FontState&, const FontState&) = default;
};

/// A box in pixels of a 96-per-inch page, edges included as given.
struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

enum class TextAlignment { Left, Center, Right };

struct TextOperation {
    QString text;
    PixelBox box;
    TextAlignment alignment = TextAlignment::Left;
    FontState font;
};

struct RectangleOperation {
    PixelBox box;
    int borderWidth = 1;  ///< pixels; 0 = no border
    RgbColor border = RgbColor::black();
    bool filled = true;
    RgbColor fill = RgbColor::white();
};

struct LineOperation {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int width = 1;  ///< pixels
    RgbColor color = RgbColor::black();
};

struct PictureOperation {
    QString file;  ///< image file drawn scaled into the box
    PixelBox box;
};

using DrawOperation = std::variant<TextOperation, RectangleOperation, LineOperation, PictureOperation>;

struct ReportPage {
    QList<DrawOperation> operations;

    /// The texts drawn on the page, in drawing order.
    QList<TextOperation> texts() const;
    /// The first text drawn with exactly this content, or nullptr.
    const TextOperation* findText(const QString& text) const;
};

enum class PageOrientation { Portrait, Landscape };

/// A finished or growing listing: its pages and what the renderers need to
/// know about the paper.
struct ReportDocument {
    QString name;                   ///< document name: the listing's title
    QString output = QStringLiteral("SCR");  ///< "SCR" preview, "PRN" printer
    QString settingsFile;           ///< printer settings file, e.g. "KQPRN.INI"
    QString settingsSection;        ///< its section, e.g. "LISTADOS"
    QString language;               ///< preview language, lower case
    int documentFormat = 0;         ///< kept for the renderers; 0 = default
    int pageWidthTwips = 11906;     ///< A4
    int pageHeightTwips = 16838;
    bool maximisePreview = false;
    bool previewOnTop = false;
    /// A plain-text job: fixed-pitch texts and lines, no pictures.
    bool plainText = false;
    /// Commands for the printer ("COPIAS 2"), honoured when the job prints.
    QStringList printerCommands;
    QList<ReportPage> pages;

    PageOrientation orientation() const;
    /// Page size in pixels at 96 per inch, rounded down.
    int pageWidthPixels() const;
    int pageHeightPixels() const;
};

/// Twips (1440 per inch) to pixels of a 96-per-inch page, rounded down.
int twipsToPixels(int twips);
