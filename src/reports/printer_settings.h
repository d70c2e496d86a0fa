#pragma once

#include <QString>

/// The printer and page settings of the listings, kept between runs in the
/// section "LISTADOS" of "KQPRN.INI" under the keys "Printer", "Mode",
/// "Orientation", "PaperSize", "PaperLength", "PaperWidth", "Scale",
/// "DefaultSource", "PrintQuality", "Color" and "Duplex". The numbers follow
/// the usual printer-driver codes; 0 means "not set, use the printer's own".
struct PrinterSettings {
    QString printer;        ///< printer name; empty = the default printer
    QString mode;           ///< kept as read, for the printer's own use
    int orientation = 0;    ///< 1 portrait, 2 landscape
    int paperSize = 0;      ///< 9 A4, 1 letter, 5 legal, 8 A3, 11 A5; 256 custom
    int paperLength = 0;    ///< tenths of a millimetre, for a custom size
    int paperWidth = 0;     ///< tenths of a millimetre, for a custom size
    int scale = 0;          ///< percent
    int defaultSource = 0;  ///< paper tray
    int printQuality = 0;   ///< dots per inch when positive
    int color = 0;          ///< 1 monochrome, 2 colour
    int duplex = 0;         ///< 1 one side, 2 long edge, 3 short edge

    static constexpr int portrait = 1;
    static constexpr int landscape = 2;
    static constexpr int monochrome = 1;
    static constexpr int colour = 2;

    friend bool operator==(const PrinterSettings&, const PrinterSettings&) = default;
};

/// How one job prints: the saved settings with the job's printer commands
/// applied over them, and the number of copies.
struct JobPrinting {
    PrinterSettings settings;
    int copies = 1;
};

/// Whether the printer understands `command`: "COPIAS n" (1 to 99 copies),
/// "DUPLEX n" (1 one side, 2 long edge, 3 short edge), "BANDEJA n" (paper
/// tray) or "COLOR n" (1 monochrome, 2 colour); words in any letter case.
bool isPrinterCommand(const QString& command);
/// `saved` with `commands` applied in order; commands not understood are
/// passed over.
JobPrinting withPrinterCommands(const PrinterSettings& saved, const QStringList& commands);

namespace PrinterSettingsFile {

/// The settings of `section` in the INI file `path`; defaults for what is
/// missing (a missing file gives all defaults). Sections and keys are found
/// without regard to letter case.
PrinterSettings load(const QString& path, const QString& section = QStringLiteral("LISTADOS"));

/// Writes the settings into `section` of `path`, creating file and section
/// when missing. Every other line of the file stays as it was; keys already
/// present are changed in place, new ones go at the end of the section.
/// False with `error` set when the file cannot be read or written.
bool save(const QString& path, const PrinterSettings& settings, QString& error,
          const QString& section = QStringLiteral("LISTADOS"));

/// `name` in `folder`, matched without regard to letter case when the exact
/// name is not there; the exact name when there is no match.
QString findFile(const QString& folder, const QString& name = QStringLiteral("KQPRN.INI"));

}  // namespace PrinterSettingsFile
